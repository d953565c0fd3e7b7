#include "cli/Installations.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#include "cli/CliOptions.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

const std::set<std::string> kNtfsTypes = {"ntfs", "ntfs3", "fuseblk"};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// The mount table escapes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        std::all_of(field.begin() + long(i) + 1, field.begin() + long(i) + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      out += char(std::stoi(field.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

}  // namespace

fs::path FindCaseInsensitive(const fs::path& folder, const std::string& relative) {
  fs::path at = folder;
  std::istringstream names(relative);
  for (std::string name; std::getline(names, name, '/');) {
    std::error_code ec;
    fs::path found;
    for (fs::directory_iterator it(at, ec), end; !ec && it != end; it.increment(ec))
      if (Lower(it->path().filename().string()) == Lower(name)) {
        found = it->path();
        break;
      }
    if (found.empty()) return {};
    at = found;
  }
  return at;
}

std::vector<MountedInstallation> FindMountedInstallations(const fs::path& mountsFile) {
  std::ifstream in(mountsFile);
  if (!in) throw UsageError("cannot read the mount table \"" + mountsFile.string() + "\"");
  std::vector<MountedInstallation> found;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string source, mountPoint, type;
    if (!(fields >> source >> mountPoint >> type) || !kNtfsTypes.count(type)) continue;
    const fs::path root = Unescape(mountPoint);
    std::error_code ec;
    const fs::path hive = FindCaseInsensitive(root, "Windows/System32/config/SYSTEM");
    if (!hive.empty() && fs::is_regular_file(hive, ec)) found.push_back({Unescape(source), root});
  }
  return found;
}

fs::path TheOnlyInstallation(const std::vector<MountedInstallation>& found) {
  if (found.size() == 1) return found.front().root;
  if (found.empty())
    throw UsageError(
        "no mounted Windows installation found (an NTFS mount holding Windows/System32/config/SYSTEM). Mount "
        "the Windows partition, e.g. `sudo mount -o ro /dev/sda3 /mnt/windows`, or name the installation with "
        "--windows DIR");
  std::string message = "several Windows installations are mounted; name one with --windows DIR:";
  for (const MountedInstallation& m : found) message += "\n  " + m.root.string() + "  (" + m.source + ")";
  throw UsageError(message);
}

}  // namespace cli
