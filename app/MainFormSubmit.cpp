// TfrmMainForm: Prepare NAVU Submission, one archive of the per-device archives
// of every listed driver that passes verification (never Microsoft's own).
#include <set>

#include "app/MainFormUnit.h"
#include "backup/Submission.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/System.h"

void TfrmMainForm::btnSubmitClick() {
  if (!OperatingSystemSupported()) return;
  if (FView.mnuIncludeMicrosoft().Checked()) {
    FView.mnuIncludeMicrosoft().SetChecked(false);
    btnScanClick();
  }
  view::IFolderPicker& picker = SharedFolderPicker(u"Preparing NAVU Submission");
  WString submission;
  bool written = false;
  RunCommand([&] {
    RunThenAlways(
        [&] {
          if (FDeviceList.empty() || !PickOutputFolder(picker)) return;
          const backup::TExportTarget target = ExportTarget();
          const std::set<WString> before = backup::FilesIn(target.folder);
          std::vector<backup::TDeviceOutcome> outcomes;
          RunThenAlways(
              [&] {
                ExportEachDevice(target, outcomes);  // one that fails verification is left out without a message
                StopIfClosing();  // a stopped submission packs nothing; its per-device archives go
                // Read back before they are packed and deleted: the index describes what the submission holds.
                backup::BackupIndex index = IndexOfExports(FDeviceList, outcomes);
                const winapi::SystemTime now = Os().system->GetLocalTime();  // names the submission and its index
                const backup::TExportResult packed =
                    backup::PackSubmission(target, backup::ArchivesOf(outcomes), now, FShellLog, FProgressSink);
                submission = packed.archive;
                ShowArchiveError(packed.error);
                written = packed.error.empty();
                if (written) WriteExportIndex(std::move(index), target.folder, now, submission);
              },
              [&] { backup::DeletePerDeviceArchives(FShellLog, backup::ArchivesOf(outcomes), before); });
        },
        [&] {
          CloseProgress();
          LogComplete();
          // A submission that was not written is not shown as if it were; the
          // archive step's error message is the outcome.
          if (written || submission.empty()) StartExplorer(u"/select," + submission);
        });
  });
}
