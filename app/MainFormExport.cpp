// TfrmMainForm: Export Driver, Export All and ExportDriver, the export of one
// device into the folder chosen in the shared folder picker.
#include "app/MainFormUnit.h"
#include "backup/DriverExport.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"

void TfrmMainForm::btnExportClick() {
  if (!OperatingSystemSupported()) return;
  const view::NodeId node = FView.tvDevices().Selected();
  if (node == view::kNoNode || !FView.tvDevices().Device(node)) return;
  TDevice device = *FView.tvDevices().Device(node);

  view::IFolderPicker& picker = SharedFolderPicker(WString());
  RunCommand([&] {
    TProgressCloser closeProgress(*this);
    if (!PickOutputFolder(picker)) return;

    ShowProgress(u"Verifying Driver Files");
    const bool verified = VerifyDriver(device, true);
    StopIfClosing();
    if (!verified) {
      CloseProgress();
      ShowVerifyFailed();
      return;
    }
    ShowProgress(u"Exporting Driver");
    const WString archive = ExportDriver(device);
    CloseProgress();
    LogComplete();
    StopIfClosing();
    // Without an archive the archive step's error message is the outcome (docs/behaviour.md).
    if (archive.empty()) return;
    Os().dialogs->ShowMessage(ports::MessageKind::Information, u"Driver exported successfully.");
    StartExplorer(u"/select," + archive);
  });
}

void TfrmMainForm::btnExportAllClick() {
  if (!OperatingSystemSupported()) return;
  view::IFolderPicker& picker =
      SharedFolderPicker(u"Exporting " + text::FromInt(int64_t(FDeviceList.size())) + u" devices to selected folder");
  RunCommand([&] {
    RunThenAlways(
        [&] {
          if (FDeviceList.empty() || !PickOutputFolder(picker)) return;
          const backup::TExportTarget target = ExportTarget();
          backup::TExportedPackages exported;
          for (TDevice& device : FDeviceList) ExportOneOfMany(device, target, exported);
        },
        [&] {
          CloseProgress();
          LogComplete();
          // Also after a cancelled picker: see docs/behaviour.md.
          StartExplorer(picker.FileName());
        });
  });
}

backup::TExportTarget TfrmMainForm::ExportTarget() const {
  if (!FDlg) throw QuillonError(u"No output folder has been chosen.");
  return {FDlg->FileName(), FSevenZipLibraryPath};
}

void TfrmMainForm::ShowArchiveError(const WString& error) const {
  if (!error.empty() && !FClosing) Os().dialogs->ShowMessage(ports::MessageKind::Error, error);
}

WString TfrmMainForm::ExportDriver(TDevice& device) {
  const backup::TExportResult result = backup::ExportDriver(device, ExportTarget(), FShellLog, FProgressSink);
  ShowArchiveError(result.error);
  return result.archive;
}

WString TfrmMainForm::ExportOneOfMany(TDevice& device, const backup::TExportTarget& target,
                                      backup::TExportedPackages& exported) {
  StopIfClosing();  // the devices after the one under way are not begun
  try {
    ShowDevice(device);
    if (!VerifyDriver(device, false)) return WString();  // its report stays in the log
    StopIfClosing();
    const backup::TExportResult result = backup::ExportPackageOnce(device, target, exported, FShellLog, FProgressSink);
    ShowArchiveError(result.error);
    return result.archive;
  } catch (const std::exception& e) {
    ShowArchiveError(ExceptionMessage(e));
    return WString();
  }
}
