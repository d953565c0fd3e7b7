// Finding the Windows installations mounted on a Linux rescue system.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace cli {

struct MountedInstallation {
  std::string source;      // the device, e.g. /dev/sda3
  std::filesystem::path root;  // where it is mounted
};

// The NTFS mounts (ntfs, ntfs3, fuseblk) of `mountsFile` (the /proc/self/mounts
// format) that hold Windows/System32/config/SYSTEM, whatever its letter case.
// Raises UsageError naming the file when it cannot be read.
std::vector<MountedInstallation> FindMountedInstallations(const std::filesystem::path& mountsFile);

// The installation to read when none was named: the only one found. Raises
// UsageError listing what was found and asking for --windows otherwise.
std::filesystem::path TheOnlyInstallation(const std::vector<MountedInstallation>& found);

// `folder`/`relative` with each name matched case-insensitively, as Windows
// matches them; empty when a name is missing.
std::filesystem::path FindCaseInsensitive(const std::filesystem::path& folder, const std::string& relative);

}  // namespace cli
