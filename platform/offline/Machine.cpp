// Loading a machine folder, and mapping Windows paths onto its drive folders.
#include "platform/offline/Machine.h"

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
  auto machine = std::make_unique<Machine>(root);
  fs::path reg = machine->root_ / "registry.reg";
  if (auto bytes = ReadIfPresent(reg)) ParseRegFile(*bytes, reg.string(), machine->hklm_);
  fs::path ini = machine->root_ / "machine.ini";
  if (auto content = ReadIfPresent(ini)) machine->ini_ = Ini::Parse(*content, ini.string());
  for (const auto& [key, value] : machine->ini_.Section("faults"))
    if (!ParseCode(value))
      throw MachineError(ini.string() + ": [faults] " + key + "=" + value + ": the code is not a number");
  return machine;
}

fs::path Machine::MapPath(WStringView windowsPath) const {
  bool drivePath = windowsPath.size() >= 2 && IsDriveLetter(windowsPath[0]) && windowsPath[1] == u':';
  if (!drivePath) return text::ToPath(windowsPath);  // host paths (and relative ones) stay as they are

  fs::path out = root_;
  std::vector<WString> names{WString(1, char16_t(text::UpperAscii(windowsPath.substr(0, 1))[0]))};
  WStringView rest = windowsPath.substr(2);
  for (size_t start = 0; start <= rest.size();) {
    size_t end = rest.find_first_of(u"\\/", start);
    if (end == WStringView::npos) end = rest.size();
    WString name(rest.substr(start, end - start));
    if (name == u"..") {
      if (names.size() > 1) names.pop_back();
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
  if (!IsInside(p, root_)) return {};
  fs::path rel = p.lexically_relative(root_);
  auto it = rel.begin();
  if (it == rel.end()) return {};
  WString drive = text::FromPath(*it);
  if (drive.size() != 1 || !IsDriveLetter(drive[0])) return {};
  WString out = text::UpperAscii(drive) + u":\\";
  bool first = true;
  for (++it; it != rel.end(); ++it) {
    WString name = text::FromPath(*it);
    if (name.empty()) continue;  // a trailing separator
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
