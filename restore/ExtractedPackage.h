// One package of a backup taken out of its archive for installing: extracted into
// a fresh folder below the temporary folder, which goes again with this object
// (after the install, an error or a stop request), then checked as Windows would
// take it: every file the backup lists there with its size and SHA-256, and every
// file listed in the package's catalog, which is signed and trusted here.
#pragma once
#include <filesystem>

#include "backup/BackupContents.h"
#include "backup/TemporaryFolder.h"
#include "platform/Text.h"

namespace restore {

class ExtractedPackage {
 public:
  // Extracts `package` from its archive in `backupFolder` into a new folder below
  // `tempFolder`. Raises QuillonError (archive::ArchiveError for the archive)
  // naming the archive and the cause; nothing is left behind then.
  ExtractedPackage(const std::filesystem::path& backupFolder, const backup::BackupPackage& package,
                   const std::filesystem::path& tempFolder, const WString& sevenZipLibrary);
  ~ExtractedPackage();
  ExtractedPackage(const ExtractedPackage&) = delete;
  ExtractedPackage& operator=(const ExtractedPackage&) = delete;

  // The package's INF in the extracted folder (a host path text).
  const WString& Inf() const { return inf_; }
  // The folder below the temporary folder that holds it all.
  const std::filesystem::path& WorkFolder() const { return work_.Path(); }
  // Whether the archive held the package's folder rather than its files at its root.
  bool HasOwnFolder() const { return folder_ != work_.Path(); }

  // Why the package is not whole: its INF or a file the backup lists missing, or
  // changed since the export. Empty when whole.
  WString Incomplete() const;
  // Why the package must not be installed: incomplete, a file the catalog does not
  // list, a catalog not signed or not trusted on this system. Empty when it may be.
  WString Problem() const;

  // Removes the work folder now; why it could not be removed (a file still open,
  // as Wine's catalog services leave the catalog), empty when it is gone.
  WString RemoveWorkFolder();

  // Moves the package folder (its files) to `destination` (which must not exist),
  // out of the folder removed with this object. Raises QuillonError naming both.
  void MoveTo(const std::filesystem::path& destination);

 private:
  const backup::BackupPackage& package_;
  backup::TemporaryFolder work_;  // removed with everything in it, however this object goes
  std::filesystem::path folder_;   // the package folder: work_ or its one top folder
  WString inf_;
};

// Raises QuillonError unless `name` is one plain file or folder name (no
// delimiter, not "." or ".."), as a backup's package folder and INF must be.
void CheckPlainName(const WString& name, const char* what);

}  // namespace restore
