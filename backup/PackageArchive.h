// One exported driver-package archive read as a backup holds it: its files with
// their sizes and SHA-256 as they stream past, and the package's INF, read from
// a temporary copy that is always removed; or, right after an export, the same
// read from the folder the archive was made of.
#pragma once
#include <filesystem>

#include "backup/BackupContents.h"

namespace backup {

// Reads the archive at `archive` (through the 7-Zip library at `sevenZipLibrary`
// when given). The package folder is the archive's root, or its one top folder
// when every entry lies below the same one. Raises QuillonError (an ArchiveError
// or an InfError) naming the archive and the cause: an archive that cannot be read
// or fails its CRCs, an entry name that could leave the folder, no INF.
// `storeFolder`, when known, names the driver-store folder the files came from
// (its name leads to the package's INF among several).
BackupPackage ReadPackageArchive(const std::filesystem::path& archive, const WString& sevenZipLibrary,
                                 const WString& storeFolder = {});

// The same package, read as the archive at `archive` holds it without
// decompressing it: the archive's entries are listed and each file is hashed
// from `folder`, the folder whose files were fed to the archiver (an entry's
// path is its path below it), and the INF is read there. Raises as
// ReadPackageArchive does, and QuillonError for a file missing from `folder`.
BackupPackage ReadArchivedFolder(const std::filesystem::path& archive, const WString& sevenZipLibrary,
                                 const std::filesystem::path& folder, const WString& storeFolder = {});

// The platform a package is meant for: the first of amd64, arm64 and x86 that a
// [Manufacturer] decoration names; amd64 when none does.
inf::Architecture PackageArchitecture(const std::vector<inf::Manufacturer>& manufacturers);

}  // namespace backup
