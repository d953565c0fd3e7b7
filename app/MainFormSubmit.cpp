// TfrmMainForm: Prepare NAVU Submission, one archive of the per-device archives
// of every listed driver that passes verification (never Microsoft's own).
#include <set>

#include "app/ExportNames.h"
#include "app/ExportedPackages.h"
#include "app/MainFormUnit.h"
#include "app/SubmissionFiles.h"
#include "platform/Paths.h"
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
  RunThenAlways(
      [&] {
        if (FDeviceList.empty() || !PickOutputFolder(picker)) return;
        const WString chosen = picker.FileName();
        const std::set<WString> before = submissionfiles::FilesIn(chosen);
        WStringList archives(FDeviceList.size());
        RunThenAlways(
            [&] {
              TExportedPackages exported;
              for (size_t i = 0; i < FDeviceList.size(); ++i) {
                TDevice& device = FDeviceList[i];
                ShowDevice(device);
                if (!VerifyDriver(device, false)) continue;  // left out without a message
                archives[i] = ExportPackageOnce(*this, device, exported);
              }
              submission = exportnames::SubmissionBaseName(chosen, Os().system->GetLocalTime());
              written = ArchiveFiles(*this, FSevenZipLibraryPath, submission, chosen, WString(),
                                     submissionfiles::DistinctArchives(archives), false);
            },
            [&] { submissionfiles::DeletePerDeviceArchives(*this, archives, before); });
      },
      [&] {
        CloseProgress();
        LogComplete();
        // A submission that was not written is not shown as if it were; the
        // archive step's error message is the outcome.
        if (written || submission.empty()) StartExplorer(u"/select," + submission);
      });
}
