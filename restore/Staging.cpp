#include "restore/Staging.h"

#include <system_error>

#include "platform/Errors.h"
#include "restore/ExtractedPackage.h"

namespace restore {

StageOutcome StageBackup(const backup::BackupContents& backup, const std::vector<size_t>& packages,
                         const std::filesystem::path& kit, const WString& sevenZipLibrary,
                         const backup::TCancelFlag* cancel) {
  std::error_code error;
  std::filesystem::create_directories(kit, error);
  if (error)
    throw QuillonError(u"Cannot create the folder " + text::FromPath(kit) + u": " + text::FromUtf8(error.message()));

  StageOutcome outcome;
  for (size_t index : packages) {
    if (cancel && cancel->load()) {
      outcome.interrupted = true;
      break;
    }
    const backup::BackupPackage& package = backup.packages.at(index);
    try {
      // Extracted beside the kit's packages, so that moving it in is a rename.
      ExtractedPackage extracted(backup.folder, package, kit, sevenZipLibrary);
      if (const WString incomplete = extracted.Incomplete(); !incomplete.empty()) {
        outcome.failures.push_back(package.archive + u": " + incomplete);
        continue;
      }
      // A package at its archive's root is named after the archive.
      const WString folder =
          extracted.HasOwnFolder() ? package.storeFolder : text::FromPath(text::ToPath(package.archive).stem());
      const KitPackage staged{folder, package.infName};
      CheckKitName(staged.folder);
      CheckKitName(staged.inf);
      extracted.MoveTo(kit / text::ToPath(folder));
      outcome.staged.push_back(staged);
    } catch (const std::exception& e) {
      outcome.failures.push_back(package.archive + u": " + ExceptionMessage(e));
    }
  }
  WriteInstallKit(kit, outcome.staged);
  return outcome;
}

}  // namespace restore
