// The kit for a fresh installation made from a backup: each chosen package
// extracted into <kit>/<package folder>/ and checked whole, then
// install-drivers.cmd and README.txt beside them (InstallKit.h). Only the kit
// folder is written: a backup read from an offline installation leaves it as it was.
#pragma once
#include <filesystem>
#include <vector>

#include "backup/BackupContents.h"
#include "backup/Sinks.h"
#include "restore/InstallKit.h"

namespace restore {

struct StageOutcome {
  std::vector<KitPackage> staged;  // in the script's order
  WStringList failures;            // "<archive>: <why>", one per package left out
  bool interrupted = false;        // a stop request left packages out
};

// Stages `packages` (indexes into backup.packages) into `kit` (made when missing),
// reading .7z archives through `sevenZipLibrary` (empty: Zip only). A package that
// cannot be extracted or is not whole is left out and named; the script installs
// the others. Raises QuillonError when the kit folder or its script cannot be
// written.
StageOutcome StageBackup(const backup::BackupContents& backup, const std::vector<size_t>& packages,
                         const std::filesystem::path& kit, const WString& sevenZipLibrary,
                         const backup::TCancelFlag* cancel = nullptr);

}  // namespace restore
