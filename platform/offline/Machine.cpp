// Loading a machine folder, and mapping Windows paths onto its drive folders.
#include "platform/offline/Machine.h"

#include "platform/offline/Installation.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

namespace offline {

namespace fs = std::filesystem;

namespace {

// The whole file, or nullopt when it does not exist. Both machine files are small.
std::optional<std::string> ReadIfPresent(const fs::path& p) {
  std::error_code ec;
  if (!fs::exists(p, ec)) return std::nullopt;
  std::ifstream in(p, std::ios::binary);
  if (!in) throw MachineError(p.string() + ": cannot be opened");
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) throw MachineError(p.string() + ": cannot be read");
  return std::move(content).str();
}

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// Parses a fault code: decimal or 0x-prefixed hexadecimal, 32 bits.
std::optional<uint32_t> ParseCode(const std::string& s) {
  if (s.empty()) return std::nullopt;
  size_t used = 0;
  try {
    unsigned long long v = std::stoull(s, &used, 0);
    if (used != s.size() || v > 0xFFFFFFFFull) return std::nullopt;
    return uint32_t(v);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// The entry of `folder` whose name equals `name` ignoring case; the exact name first.
std::optional<fs::path> FindEntry(const fs::path& folder, const WString& name) {
  std::error_code ec;
  fs::path exact = folder / text::ToPath(name);
  if (fs::exists(fs::symlink_status(exact, ec))) return exact;
  fs::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  for (const auto& entry : it)
    if (text::EqualsIgnoreCase(text::FromPath(entry.path().filename()), name)) return entry.path();
  return std::nullopt;
}

bool IsInside(const fs::path& p, const fs::path& root) {
  auto [r, q] = std::mismatch(root.begin(), root.end(), p.begin(), p.end());
  return r == root.end();
}

}  // namespace

std::unique_ptr<Machine> Machine::Load(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) throw MachineError(folder.string() + ": not a machine folder (no such folder)");
  fs::path root = fs::absolute(folder).lexically_normal();
  if (root.filename().empty()) root = root.parent_path();  // "dir/" names the same folder
  const fs::path reg = root / "registry.reg";
  const fs::path ini = root / "machine.ini";
  // A registry.reg makes a fabricated machine even beside a Windows folder.
  const bool installation = !fs::exists(reg, ec) && FindEntry(root, u"Windows");
  const std::optional<fs::path> driveC = FindEntry(root, u"C");
  if (!installation && !fs::exists(reg, ec) && !fs::exists(ini, ec) && !driveC)
    throw MachineError(root.string() +
                       ": not a Windows installation (no Windows/System32/config/SYSTEM) nor a machine folder "
                       "(no registry.reg, machine.ini or C/)");
  auto machine = std::make_unique<Machine>(root, installation ? root : driveC.value_or(root / "C"));
  if (auto content = ReadIfPresent(ini)) machine->ini_ = Ini::Parse(*content, ini.string());
  for (const auto& [key, value] : machine->ini_.Section("faults"))
    if (!ParseCode(value))
      throw MachineError(ini.string() + ": [faults] " + key + "=" + value + ": the code is not a number");
  if (installation)
    MountInstallation(*machine);
  else if (auto bytes = ReadIfPresent(reg))
    ParseRegFile(*bytes, reg.string(), machine->hklm_);
  return machine;
}

fs::path Machine::MapPath(WStringView windowsPath) const {
  bool drivePath = windowsPath.size() >= 2 && IsDriveLetter(windowsPath[0]) && windowsPath[1] == u':';
  if (!drivePath) return text::ToPath(windowsPath);  // host paths (and relative ones) stay as they are

  const char16_t drive = text::UpperAscii(windowsPath.substr(0, 1))[0];
  fs::path out = drive == u'C' ? systemDrive_ : root_;
  std::vector<WString> names;
  if (drive != u'C') names.emplace_back(1, drive);
  WStringView rest = windowsPath.substr(2);
  for (size_t start = 0; start <= rest.size();) {
    size_t end = rest.find_first_of(u"\\/", start);
    if (end == WStringView::npos) end = rest.size();
    WString name(rest.substr(start, end - start));
    if (name == u"..") {
      if (names.size() > (drive == u'C' ? 0u : 1u)) names.pop_back();  // never above the drive
    } else if (!name.empty() && name != u".") {
      names.push_back(std::move(name));
    }
    start = end + 1;
  }
  // Each name takes the spelling found on disk; once one is missing the rest are kept as written.
  bool matching = true;
  for (const WString& name : names) {
    std::optional<fs::path> found = matching ? FindEntry(out, name) : std::nullopt;
    if (found) {
      out = *found;
    } else {
      matching = false;
      out /= text::ToPath(name);
    }
  }
  return out;
}

WString Machine::WindowsPath(const fs::path& hostPath) const {
  fs::path p = fs::absolute(hostPath).lexically_normal();
  WString out;
  fs::path rel;
  if (IsInside(p, systemDrive_)) {
    out = u"C:\\";
    rel = p.lexically_relative(systemDrive_);
  } else if (!IsInstallation() && IsInside(p, root_)) {
    rel = p.lexically_relative(root_);
    auto first = rel.begin();
    WString drive = first == rel.end() ? WString() : text::FromPath(*first);
    if (drive.size() != 1 || !IsDriveLetter(drive[0])) return {};
    out = text::UpperAscii(drive) + u":\\";
    rel = rel.lexically_relative(*first);
  } else {
    return {};
  }
  bool first = true;
  for (const fs::path& part : rel) {
    WString name = text::FromPath(part);
    if (name.empty() || name == u".") continue;  // a trailing separator, the drive itself
    if (!first) out += u'\\';
    out += name;
    first = false;
  }
  return out;
}

uint32_t Machine::Fault(std::string_view api, std::string_view detail) const {
  // Keys are "Api" or "Api:Detail"; the detail-specific entry wins.
  std::optional<std::string> code;
  if (!detail.empty()) code = ini_.Get("faults", std::string(api) + ":" + std::string(detail));
  if (!code) code = ini_.Get("faults", api);
  if (!code) return 0;
  return ParseCode(*code).value_or(0);
}

}  // namespace offline
