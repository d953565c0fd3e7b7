// What a backup folder holds, as `plan`, `check`, restore and the install kit see
// it: one entry per driver-package archive, with the package's INF read as
// Windows reads it. Read from the backup index (Quillon-index-*.json, written
// beside the export record) when it is there and matches the archives; otherwise
// from the archives themselves, which costs reading each one.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "inf/DriverPackageInf.h"
#include "platform/Text.h"

namespace backup {

// One file of a package as exported: its path inside the package folder.
struct BackupFile {
  WString path;  // relative to the package folder, '\'-separated
  uint64_t size = 0;
  std::string sha256;  // lower-case hexadecimal
  bool operator==(const BackupFile&) const = default;
};

struct BackupPackage {
  WString archive;         // the archive's file name in the backup folder
  uint64_t archiveSize = 0;
  std::string archiveSha256;  // lower-case hexadecimal; empty when read without the index
  WString format;          // "7z" or "zip"
  WString storeFolder;     // the package's driver-store folder name (the archive's top folder)
  WString infName;         // the package's INF file name inside that folder
  inf::PackageVersion version;
  WString catalog;         // the catalog the package names for its platform; empty when none
  std::vector<inf::Manufacturer> manufacturers;
  std::vector<inf::ModelLine> models;  // every decoration's lines, FeatureScore resolved
  std::vector<BackupFile> files;       // every file of the package folder
  WString signature;       // the verification verdict at export: "signed", "unsigned", … ; empty when unknown
  WString signer;          // the signing certificate's subject; empty when unknown
  bool operator==(const BackupPackage&) const = default;
};

struct BackupContents {
  std::filesystem::path folder;
  std::vector<BackupPackage> packages;
  bool fromIndex = false;   // every package came from a matching index
  WStringList notes;        // why the index was not used, archives that could not be read, …
};

// Whether the file's name is that of a .7z or .Zip archive (any letter case).
bool IsArchiveName(const std::filesystem::path& file);
// The archives of `folder` (regular files, not links), sorted by name. Raises
// QuillonError when the folder cannot be listed.
std::vector<std::filesystem::path> ArchivesIn(const std::filesystem::path& folder);

// The newest backup index in `folder` (by the stamp in its name); none when
// there is none. Raises QuillonError when the folder cannot be listed.
std::optional<std::filesystem::path> NewestIndex(const std::filesystem::path& folder);

// Reads the backup in `folder`: its newest index when one matches the archives
// (same names and sizes), else each archive (through the 7-Zip library at
// `sevenZipLibrary` when given). Archives that cannot be read are named in notes.
// Raises QuillonError when the folder cannot be listed or holds no archive.
BackupContents ReadBackup(const std::filesystem::path& folder, const WString& sevenZipLibrary);

}  // namespace backup
