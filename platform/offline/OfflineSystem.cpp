// The system port of the offline machine: machine.ini supplies the name, version,
// clock offset, date picture and token privileges; Windows paths map into the folder.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/System.h"
#include "platform/offline/Adapters.h"
#include "platform/offline/MachineTime.h"
#include "platform/offline/MachineVersionResource.h"

namespace offline {

namespace {

constexpr uint32_t kErrorMrMidNotFound = 317;  // FormatMessageW: no text for the code
constexpr uint32_t kErrorResourceTypeNotFound = 1813;

struct PrivilegeName {
  const char16_t* name;
  uint64_t luid;
};
// The well-known LUIDs Windows assigns.
constexpr PrivilegeName kPrivileges[] = {
    {u"SeCreateTokenPrivilege", 2},        {u"SeAssignPrimaryTokenPrivilege", 3},
    {u"SeLockMemoryPrivilege", 4},         {u"SeIncreaseQuotaPrivilege", 5},
    {u"SeMachineAccountPrivilege", 6},     {u"SeTcbPrivilege", 7},
    {u"SeSecurityPrivilege", 8},           {u"SeTakeOwnershipPrivilege", 9},
    {u"SeLoadDriverPrivilege", 10},        {u"SeSystemProfilePrivilege", 11},
    {u"SeSystemtimePrivilege", 12},        {u"SeProfileSingleProcessPrivilege", 13},
    {u"SeIncreaseBasePriorityPrivilege", 14}, {u"SeCreatePagefilePrivilege", 15},
    {u"SeCreatePermanentPrivilege", 16},   {u"SeBackupPrivilege", 17},
    {u"SeRestorePrivilege", 18},           {u"SeShutdownPrivilege", 19},
    {u"SeDebugPrivilege", 20},             {u"SeAuditPrivilege", 21},
    {u"SeSystemEnvironmentPrivilege", 22}, {u"SeChangeNotifyPrivilege", 23},
    {u"SeRemoteShutdownPrivilege", 24},    {u"SeUndockPrivilege", 25},
};

// Copies `s` and its NUL into a buffer of `size` characters; false when it does not fit.
bool CopyWithNul(WStringView s, char16_t* buffer, uint32_t size) {
  if (!buffer || size < s.size() + 1) return false;
  std::copy(s.begin(), s.end(), buffer);
  buffer[s.size()] = 0;
  return true;
}

// Sort weight of a character for the lstrcmpW approximation: blanks and punctuation
// first, then digits, then letters, then the rest; letters fold to upper case.
std::pair<int, char16_t> PrimaryWeight(char16_t c) {
  char16_t folded = c;
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) folded = char16_t(c - 32);
  bool letter = (folded >= u'A' && folded <= u'Z') || (folded >= 0xC0 && folded <= 0xDE && folded != 0xD7);
  if (letter) return {2, folded};
  if (c >= u'0' && c <= u'9') return {1, c};
  if (c < 0x80) return {0, c};
  return {3, c};
}

bool IsLowerCase(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7); }

class OfflineSystem final : public ports::ISystem {
 public:
  explicit OfflineSystem(Machine& m) : machine_(m) {
    const WString held = text::W(Setting("HeldPrivileges", ""));  // outlives the views into it
    for (WStringView rest = held; !rest.empty();) {
      size_t comma = rest.find(u',');
      WString name = text::Trim(rest.substr(0, comma));
      if (!name.empty()) held_.push_back(name);
      rest = comma == WStringView::npos ? WStringView() : rest.substr(comma + 1);
    }
  }

  uint32_t GetLastError() override { return offline::GetLastError(); }
  void SetLastError(uint32_t code) override { offline::SetLastError(code); }

  uint32_t FormatMessage(uint32_t code, char16_t* buffer, uint32_t size) override {
    std::optional<WString> message = MessageText(code);
    if (!message) return Fail(kErrorMrMidNotFound, 0u);
    if (!CopyWithNul(*message, buffer, size)) return Fail(winapi::kErrorInsufficientBuffer, 0u);
    return uint32_t(message->size());
  }

  bool GetComputerNameEx(char16_t* buffer, uint32_t* size) override {
    if (!size) return Fail(winapi::kErrorInvalidParameter, false);
    WString name = text::W(Setting("ComputerName", "SIMULATED-PC"));
    if (!CopyWithNul(name, buffer, *size)) {
      *size = uint32_t(name.size() + 1);
      return Fail(winapi::kErrorMoreData, false);
    }
    *size = uint32_t(name.size());
    return true;
  }

  uint32_t ExpandEnvironmentStrings(const char16_t* src, char16_t* dst, uint32_t size) override {
    if (!src) return Fail(winapi::kErrorInvalidParameter, 0u);
    WString out = Expand(src);
    if (dst && size >= out.size() + 1) CopyWithNul(out, dst, size);
    return uint32_t(out.size() + 1);
  }

  bool FileTimeToLocalFileTime(const winapi::FileTime& utc, winapi::FileTime* local) override {
    if (!local) return Fail(winapi::kErrorInvalidParameter, false);
    int64_t shift = int64_t(OffsetMinutes()) * int64_t(kTicksPerMinute);
    uint64_t v = utc.Value();
    if ((shift < 0 && v < uint64_t(-shift)) || (shift > 0 && v > UINT64_MAX - uint64_t(shift)))
      return Fail(winapi::kErrorInvalidParameter, false);
    *local = winapi::FileTime::From(v + uint64_t(shift));
    return true;
  }

  bool FileTimeToSystemTime(const winapi::FileTime& ft, winapi::SystemTime* st) override {
    if (!st || !TicksToSystemTime(ft.Value(), *st)) return Fail(winapi::kErrorInvalidParameter, false);
    return true;
  }

  winapi::SystemTime GetLocalTime() override {
    if (auto fixed = ClockOverride()) return *fixed;
    winapi::SystemTime st;
    TicksToSystemTime(UtcNowTicks() + uint64_t(int64_t(OffsetMinutes()) * int64_t(kTicksPerMinute)), st);
    return st;
  }

  WString FormatShortDate(const winapi::SystemTime& st) override {
    return FormatDatePicture(text::W(Setting("ShortDateFormat", "dd/MM/yyyy")), st);
  }

  // Approximates lstrcmpW: a case-insensitive comparison by character class and
  // letter; on a tie the first difference in case decides, lower case first. Word
  // sorting (hyphens and apostrophes ignored) and accents-as-secondary are not modelled.
  int CompareStringLocale(const char16_t* a, const char16_t* b) override {
    WStringView x = a ? WStringView(a) : WStringView(), y = b ? WStringView(b) : WStringView();
    size_t n = std::min(x.size(), y.size());
    for (size_t i = 0; i < n; ++i) {
      auto wx = PrimaryWeight(x[i]), wy = PrimaryWeight(y[i]);
      if (wx != wy) return wx < wy ? -1 : 1;
    }
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    for (size_t i = 0; i < n; ++i)
      if (x[i] != y[i]) return IsLowerCase(x[i]) ? -1 : 1;
    return 0;
  }

  ports::OsVersion GetVersion() override {
    ports::OsVersion v{10, 0, 19045};
    std::string s = Setting("WindowsVersion", "10.0.19045");
    unsigned major = 0, minor = 0, build = 0;
    if (std::sscanf(s.c_str(), "%u.%u.%u", &major, &minor, &build) >= 2) v = {major, minor, build};
    return v;
  }

  WString ModuleFileName() override {
    return HostPathOf(Setting("ExePath", "C:\\Program Files\\Quillon\\Quillon.exe"));
  }

  uint32_t GetFileVersionInfoSize(const char16_t* file) override {
    if (!file) return Fail(winapi::kErrorInvalidParameter, 0u);
    const Located located = machine_.Locate(file, u"The file");
    if (!located) return Fail(RefusalCode(located.refusal), 0u);
    VersionResource r = ReadVersionResource(located.path);
    if (r.error) return Fail(r.error, 0u);
    return uint32_t(r.block.size());
  }

  bool GetFileVersionInfo(const char16_t* file, uint32_t size, void* data) override {
    if (!file || !data) return Fail(winapi::kErrorInvalidParameter, false);
    const Located located = machine_.Locate(file, u"The file");
    if (!located) return Fail(RefusalCode(located.refusal), false);
    VersionResource r = ReadVersionResource(located.path);
    if (r.error) return Fail(r.error, false);
    std::memcpy(data, r.block.data(), std::min<size_t>(size, r.block.size()));
    return true;
  }

  bool QueryFixedFileVersion(const void* data, uint32_t* versionMS, uint32_t* versionLS) override {
    uint32_t ms = 0, ls = 0;
    if (!versionMS || !versionLS || !FixedFileVersion(static_cast<const uint8_t*>(data), ms, ls))
      return Fail(kErrorResourceTypeNotFound, false);
    *versionMS = ms;
    *versionLS = ls;
    return true;
  }

  bool OpenProcessToken(uint32_t, winapi::Handle* token) override {
    if (!token) return Fail(winapi::kErrorInvalidParameter, false);
    if (uint32_t fault = machine_.Fault("OpenProcessToken")) return Fail(fault, false);
    std::lock_guard lock(mutex_);
    *token = nextToken_;
    tokens_.insert(nextToken_);
    nextToken_ += 4;
    return true;
  }

  bool LookupPrivilegeValue(const char16_t* name, uint64_t* luid) override {
    if (!name || !luid) return Fail(winapi::kErrorInvalidParameter, false);
    for (const auto& p : kPrivileges)
      if (text::EqualsIgnoreCase(p.name, name)) {
        *luid = p.luid;
        return true;
      }
    return Fail(winapi::kErrorNoSuchPrivilege, false);
  }

  // Succeeds for any privilege the system knows; the last error then says whether
  // the token holds it (0) or not (ERROR_NOT_ALL_ASSIGNED), as Windows does.
  bool AdjustTokenPrivileges(winapi::Handle token, uint64_t luid, uint32_t) override {
    {
      std::lock_guard lock(mutex_);
      if (!tokens_.count(token)) return Fail(winapi::kErrorInvalidHandle, false);
    }
    if (uint32_t fault = machine_.Fault("AdjustTokenPrivileges")) return Fail(fault, false);
    auto known = std::find_if(std::begin(kPrivileges), std::end(kPrivileges), [&](const auto& p) { return p.luid == luid; });
    if (known == std::end(kPrivileges)) return Fail(winapi::kErrorNoSuchPrivilege, false);
    bool held = std::any_of(held_.begin(), held_.end(), [&](const WString& h) { return text::EqualsIgnoreCase(h, known->name); });
    SetLastError(held ? winapi::kErrorSuccess : winapi::kErrorNotAllAssigned);
    return true;
  }

  bool CloseHandle(winapi::Handle h) override {
    std::lock_guard lock(mutex_);
    if (!tokens_.erase(h)) return Fail(winapi::kErrorInvalidHandle, false);
    return true;
  }

 private:
  std::string Setting(std::string_view key, std::string fallback) const {
    return machine_.Config().GetOr("machine", key, std::move(fallback));
  }

  int OffsetMinutes() const {
    try {
      return std::stoi(Setting("UtcOffsetMinutes", "0"));
    } catch (const std::exception&) {
      return 0;
    }
  }

  // The host path a folder variable stands for, or nullopt for variables the machine lacks.
  std::optional<WString> FolderVariable(WStringView name) const {
    const char* key = nullptr;
    const char* fallback = nullptr;
    if (text::EqualsIgnoreCase(name, u"ProgramFiles")) key = "ProgramFiles", fallback = "C:\\Program Files";
    else if (text::EqualsIgnoreCase(name, u"ProgramFiles(x86)")) key = "ProgramFilesX86", fallback = "C:\\Program Files (x86)";
    else if (text::EqualsIgnoreCase(name, u"SystemRoot") || text::EqualsIgnoreCase(name, u"windir")) key = "SystemRoot", fallback = "C:\\Windows";
    if (!key) return std::nullopt;
    return HostPathOf(Setting(key, fallback));
  }

  // The host path of a Windows path the machine's settings give; none when it leads outside.
  WString HostPathOf(const std::string& windowsPath) const {
    const Located located = machine_.Locate(text::W(windowsPath), u"The folder");
    return located ? text::FromPath(located.path) : WString();
  }

  // %NAME% expansion; unknown names stay as written. Once a folder variable became a
  // host path, the backslashes after it become the host delimiter too, so that
  // "%ProgramFiles%\7-Zip\7z.dll" names a host file.
  WString Expand(WStringView s) const {
    WString out;
    bool hostPath = false;
    for (size_t i = 0; i < s.size();) {
      size_t close = s[i] == u'%' ? s.find(u'%', i + 1) : WStringView::npos;
      if (close != WStringView::npos) {
        if (auto value = FolderVariable(s.substr(i + 1, close - i - 1))) {
          out += *value;
          hostPath = true;
          i = close + 1;
          continue;
        }
        out += s.substr(i, close - i);  // keeps the closing '%' as the next opening one
        i = close;
        continue;
      }
      out += (hostPath && s[i] == u'\\') ? char16_t(u'/') : s[i];
      ++i;
    }
    return out;
  }

  Machine& machine_;
  std::vector<WString> held_;
  std::mutex mutex_;
  std::set<winapi::Handle> tokens_;
  winapi::Handle nextToken_ = 0x2000;
};

}  // namespace

std::unique_ptr<ports::ISystem> MakeSystem(Machine& m) { return std::make_unique<OfflineSystem>(m); }

}  // namespace offline
