// TfrmMainForm: the backup index of what Export Driver, Export All and the
// submission wrote, beside their archives, as the command line writes it, so
// that `plan` and `check` read the window's backups without opening each archive.
#include "app/MainFormUnit.h"
#include "platform/Errors.h"

backup::BackupIndex TfrmMainForm::IndexOfExports(const TDeviceList& devices,
                                                 const std::vector<backup::TDeviceOutcome>& outcomes) {
  WStringList problems;
  backup::BackupIndex index;
  try {
    index = backup::IndexOfRun(devices, outcomes, FSevenZipLibraryPath, problems);
  } catch (const std::exception& e) {
    problems.push_back(u"the index cannot be made: " + ExceptionMessage(e));
  }
  for (const WString& problem : problems) ShowArchiveError(u"The backup index is incomplete: " + problem);
  return index;
}

bool TfrmMainForm::WriteExportIndex(backup::BackupIndex index, const WString& folder,
                                    const winapi::SystemTime& localTime, const WString& submission) {
  // An index of nothing would hide an older one from `plan` and `check` (docs/behaviour.md).
  if (index.packages.empty() && submission.empty()) return false;
  try {
    backup::WriteIndexOfRun(std::move(index), text::ToPath(folder), localTime, {}, submission);
    return true;
  } catch (const std::exception& e) {
    ShowArchiveError(u"The backup index was not written: " + ExceptionMessage(e));
    return false;
  }
}
