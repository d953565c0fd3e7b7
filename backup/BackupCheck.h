// Checking a backup: every archive its index names is there with the recorded
// size and SHA-256, tests clean (every entry's CRC), holds a complete package
// whose files its catalog lists, and nothing else lies beside them unnamed.
#pragma once
#include <filesystem>
#include <vector>

#include "backup/BackupContents.h"
#include "signing/CryptCat.h"

namespace backup {

struct ArchiveCheck {
  WString archive;         // the archive's file name (inside the submission, for one)
  WStringList problems;    // each fault found; none when the archive is sound
  WString catalog;         // "verified", "not checked: <why>" or empty when a problem says why
  bool sound() const { return problems.empty(); }
};

struct BackupCheckReport {
  WString index;                   // the index checked against; empty: none could be used
  WString submission;              // the submission archive checked through the archives it holds
  std::vector<ArchiveCheck> archives;
  WStringList notIndexed;          // archives in the folder the index does not name
  WStringList missing;             // archives the index names that are not there
  WStringList notes;               // why no index was used, …
  bool sound() const;
};

// Where catalog checks go: `checker` through the ports (null: not checked, with
// `why`), `allowReading` told of each folder of extracted files before they are checked.
struct CatalogCheckSettings {
  TCatalogChecker* checker = nullptr;
  WString why;  // why catalogs are not checked, when there is no checker
  std::function<void(const std::filesystem::path&)> allowReading;
};

// Checks the backup at `path`: a backup folder, or one submission archive (NAVU-…)
// whose archives are checked. The folder's newest index is the list to check
// against; without one, each archive is checked on its own. Raises QuillonError
// when the folder cannot be listed.
BackupCheckReport CheckBackup(const std::filesystem::path& path, const WString& sevenZipLibrary,
                              const CatalogCheckSettings& catalogs);

}  // namespace backup
