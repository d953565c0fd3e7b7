// One exported driver-package archive read as a backup holds it: its files with
// their sizes and SHA-256 as they stream past, and the package's INF, read from
// a temporary copy that is always removed.
#pragma once
#include <filesystem>

#include "backup/BackupContents.h"

namespace backup {

// Reads the archive at `archive` (through the 7-Zip library at `sevenZipLibrary`
// when given). The package folder is the archive's root, or its one top folder
// when every entry lies below the same one. Raises QuillonError (an ArchiveError
// or an InfError) naming the archive and the cause: an archive that cannot be read
// or fails its CRCs, an entry name that could leave the folder, no INF.
BackupPackage ReadPackageArchive(const std::filesystem::path& archive, const WString& sevenZipLibrary);

// The platform a package is meant for: the first of amd64, arm64 and x86 that a
// [Manufacturer] decoration names; amd64 when none does.
inf::Architecture PackageArchitecture(const std::vector<inf::Manufacturer>& manufacturers);

}  // namespace backup
