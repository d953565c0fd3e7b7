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

constexpr uintmax_t kMaxMachineFileBytes = 64u << 20;

// The whole file, or nullopt when it does not exist. Both machine files are small.
std::optional<std::string> ReadIfPresent(const Machine& m, const fs::path& file) {
  const Located located = m.Locate(text::FromPath(file), u"The machine file");
  if (!located) throw MachineError(text::ToUtf8(located.refusal));
  const fs::path& p = located.path;
  std::error_code ec;
  if (!fs::exists(p, ec)) return std::nullopt;
  if (fs::file_size(p, ec) > kMaxMachineFileBytes)
    throw MachineError(p.string() + ": larger than " + std::to_string(kMaxMachineFileBytes >> 20) + " MiB");
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
  // The real folder: every path read below it is checked against this one.
  fs::path root = fs::canonical(folder, ec);
  if (ec) throw MachineError(folder.string() + ": cannot be read (" + ec.message() + ")");
  const fs::path reg = root / "registry.reg";
  const fs::path ini = root / "machine.ini";
  // A registry.reg makes a fabricated machine even beside a Windows folder.
  const bool installation = !fs::exists(reg, ec) && FindEntry(root, u"Windows");
  const std::optional<fs::path> driveC = FindEntry(root, u"C");
  if (!installation && !fs::exists(reg, ec) && !fs::exists(ini, ec) && !driveC)
    throw MachineError(root.string() +
                       ": not a Windows installation (no Windows/System32/config/SYSTEM) nor a machine folder "
                       "(no registry.reg, machine.ini or C/)");
  fs::path systemDrive = installation ? root : driveC.value_or(root / "C");
  if (fs::is_symlink(fs::symlink_status(systemDrive, ec))) {
    const fs::path real = fs::weakly_canonical(systemDrive, ec);
    if (ec || !IsInside(real, root))
      throw MachineError(systemDrive.string() + ": the system drive leads outside the machine folder, to " +
                         real.string());
    systemDrive = real;
  }
  auto machine = std::make_unique<Machine>(root, systemDrive);
  if (auto content = ReadIfPresent(*machine, ini)) machine->ini_ = Ini::Parse(*content, ini.string());
  for (const auto& [key, value] : machine->ini_.Section("faults"))
    if (!ParseCode(value))
      throw MachineError(ini.string() + ": [faults] " + key + "=" + value + ": the code is not a number");
  if (installation)
    MountInstallation(*machine);
  else if (auto bytes = ReadIfPresent(*machine, reg))
    ParseRegFile(*bytes, reg.string(), machine->hklm_);
  return machine;
}

namespace {

// The names of a path text, split at either delimiter.
std::vector<WString> Names(WStringView path) {
  std::vector<WString> names;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find_first_of(u"\\/", start);
    if (end == WStringView::npos) end = path.size();
    names.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// Where a link leads, link after link, also when the last target is missing.
fs::path LinkTarget(const fs::path& link, std::error_code& ec) {
  constexpr int kMaxLinks = 40;  // as the kernel's ELOOP bound
  fs::path at = link;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    fs::path target = fs::read_symlink(at, ec);
    if (ec) return at;
    at = fs::weakly_canonical(target.is_absolute() ? target : at.parent_path() / target, ec);
    if (ec || !fs::is_symlink(fs::symlink_status(at, ec))) return at;
  }
  ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return at;
}

fs::path Joined(fs::path folder, const std::vector<WString>& names) {
  for (const WString& name : names) folder /= text::ToPath(name);
  return folder;
}

WString EntryKind(const fs::file_status& status) {
  switch (status.type()) {
    case fs::file_type::fifo: return u"a pipe";
    case fs::file_type::socket: return u"a socket";
    case fs::file_type::block:
    case fs::file_type::character: return u"a device";
    default: return u"an entry of an unknown kind";
  }
}

}  // namespace

Located Machine::Locate(WStringView path, WStringView what) const {
  const WString said = WString(what) + u" \"" + WString(path) + u"\"";
  auto outside = [&](const fs::path& where) {
    return Located{{}, said + u" leads outside the installation, to " + text::FromPath(where), where};
  };
  // Where the walk starts, the names it takes, and how far ".." may go back.
  std::vector<fs::path> trail;
  std::vector<WString> names;
  size_t floor = 1;
  bool clampAtDrive = true;  // Windows stops ".." at a drive's root; a relative path has none
  const bool drivePath = path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':';
  if (drivePath && text::UpperAscii(path.substr(0, 1)) != u"C") {
    trail = {root_};
    names = {text::UpperAscii(path.substr(0, 1))};
    floor = 2;
  } else {
    trail = {systemDrive_};
  }
  if (drivePath) {
    for (WString& name : Names(path.substr(2))) names.push_back(std::move(name));
  } else if (!path.empty() && path[0] == u'/') {  // a host path: the program's own, given back
    const fs::path host = text::ToPath(path).lexically_normal();
    for (const fs::path& folder : hostFolders_)
      if (IsInside(host, folder)) return Located{host, {}, {}};
    if (!IsInside(host, root_)) return outside(host);
    trail = {root_};
    for (const fs::path& part : host.lexically_relative(root_)) names.push_back(text::FromPath(part));
  } else {
    clampAtDrive = !path.empty() && path[0] == u'\\';  // "\Windows" is on the current drive
    names = Names(path);
  }

  bool matching = true;  // once a name is missing, the rest are kept as written
  for (const WString& name : names) {
    if (name.empty() || name == u".") continue;
    if (name == u"..") {
      if (trail.size() > floor)
        trail.pop_back();
      else if (!clampAtDrive)
        return outside(Joined(systemDrive_, names).lexically_normal());
      continue;
    }
    const std::optional<fs::path> found = matching ? FindEntry(trail.back(), name) : std::nullopt;
    if (!found) {
      matching = false;
      trail.push_back(trail.back() / text::ToPath(name));
      continue;
    }
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(*found, ec))) {
      trail.push_back(*found);
      continue;
    }
    // A link: where it really leads decides, also for a link whose target is missing.
    const fs::path target = LinkTarget(*found, ec);
    if (ec || !IsInside(target, root_))
      return Located{{}, said + u" leads outside the installation, to " + text::FromPath(target) + u" (" +
                             text::FromPath(found->lexically_relative(root_)) + u" is a link)",
                     target};
    trail.push_back(target);
    if (!fs::exists(target, ec)) matching = false;
  }
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(trail.back(), ec);
  if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status))
    return Located{{}, said + u" is " + EntryKind(status) + u", not a file", {}};
  return Located{trail.back(), {}, {}};
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
