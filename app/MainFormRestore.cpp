// TfrmMainForm: Restore Drivers…, a backup folder put back on this PC: the plan
// for its present devices in the Shell tab, a question naming how many packages
// and devices, then the restore with the progress window and one result message.
#include <filesystem>

#include "app/MainFormUnit.h"
#include "platform/Errors.h"
#include "backup/BackupContents.h"
#include "backup/DeviceList.h"
#include "backup/RestorePlan.h"
#include "backup/TargetWindows.h"
#include "platform/MessageDialogs.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "restore/RestoreRecord.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreText.h"

namespace {

// The restore's words with the window's line ends.
WString WindowLines(const WString& text) { return text::ReplaceAll(text, u"\n", u"\r\n"); }

}  // namespace

void TfrmMainForm::mnuRestoreClick() {
  if (!OperatingSystemSupported()) return;
  try {
    restore::RequireElevation();
  } catch (const restore::NotElevatedError& e) {
    Os().dialogs->ShowMessage(ports::MessageKind::Error,
                              e.Message() + u"\r\nStart Quillon with \"Run as administrator\" to restore drivers.");
    return;
  }
  view::IFolderPicker& picker = SharedFolderPicker(u"Restoring drivers from the selected backup folder");
  RunThenAlways(
      [&] {
        if (!PickOutputFolder(picker)) return;
        const std::filesystem::path folder = text::ToPath(picker.FileName());
        const backup::BackupContents contents = backup::ReadBackup(folder, FSevenZipLibraryPath);
        for (const WString& note : contents.notes) FShellLog.AddLine(note);
        const TDeviceList devices = backup::ScanAllDevices();
        const backup::RestorePlan plan = backup::PlanRestore(contents, devices, backup::ReadTargetWindows().os);
        const std::vector<restore::RestoreItem> items = restore::ChooseRestore(contents, plan, {}, false);

        FShellLog.AddLine(u"*** Restore Plan ***");
        for (const WString& line : restore::ChoiceLines(contents, items)) FShellLog.AddLine(line);
        if (items.empty()) {
          Os().dialogs->ShowMessage(ports::MessageKind::Information,
                                    u"No device of this PC gets a better driver from this backup.");
          return;
        }
        if (!Os().dialogs->AskYesNo(restore::ConfirmationText(items))) return;

        ShowProgress(u"Restoring Drivers");
        FProgressSink.SetFormatAsBytes(false);
        const restore::RestoreOutcome outcome = restore::RunRestore(
            contents, items, {std::filesystem::temp_directory_path(), FSevenZipLibraryPath, nullptr},
            [&](size_t done, size_t total, const WString& archive) {
              SetProgressText(archive);
              FProgressSink.SetBar(int64_t(done), int64_t(total));
            });
        CloseProgress();

        FShellLog.AddLine(u"*** Restoring Drivers ***");
        for (const WString& note : outcome.notes) FShellLog.AddLine(note);
        for (const restore::RestoreRow& row : outcome.rows)
          FShellLog.AddLine((row.device.empty() ? row.package : row.device + u": " + row.package) + u": " + row.result);
        WString result = WindowLines(restore::ResultText(outcome, items.size()));
        bool clean = outcome.failures.empty();
        try {
          const std::filesystem::path record =
              restore::WriteRestoreRecord(folder, Os().system->GetLocalTime(), outcome.rows);
          FShellLog.AddLine(u"Record: " + text::FromPath(folder / record.filename()));
        } catch (const std::exception& e) {
          // What was installed is still told; the record's failure with it.
          result += u"\r\nThe restore record was not written: " + ExceptionMessage(e);
          clean = false;
        }
        Os().dialogs->ShowMessage(clean ? ports::MessageKind::Information : ports::MessageKind::Warning, result);
      },
      [&] {
        CloseProgress();
        LogComplete();
      });
}
