// TfrmMainForm: Export Driver, Export All and ExportDriver, the export of one
// device into the folder chosen in the shared folder picker.
#include "app/MainFormUnit.h"
#include "backup/DriverExport.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/System.h"

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
    backup::TDeviceOutcome outcome;
    outcome.verification = VerifyDevice(device, true);
    StopIfClosing();
    if (!outcome.verified()) {
      CloseProgress();
      ShowVerifyFailed();
      return;
    }
    ShowProgress(u"Exporting Driver");
    outcome.archive = ExportDriver(device);
    const bool indexed = outcome.exported() && WriteExportIndex(IndexOfExports({device}, {outcome}),
                                                                ExportTarget().folder, Os().system->GetLocalTime());
    CloseProgress();
    LogComplete();
    StopIfClosing();
    // Without an archive the archive step's error message is the outcome (docs/behaviour.md);
    // without its index, the index's error message.
    if (!outcome.exported()) return;
    if (indexed) Os().dialogs->ShowMessage(ports::MessageKind::Information, u"Driver exported successfully.");
    StartExplorer(u"/select," + outcome.archive);
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
          std::vector<backup::TDeviceOutcome> outcomes;
          RunThenAlways(
              [&] { ExportEachDevice(target, outcomes); },
              // Also after a stop: the archives finished stay, and the index names them (docs/behaviour.md).
              [&] {
                WriteExportIndex(IndexOfExports(FDeviceList, outcomes), target.folder, Os().system->GetLocalTime());
              });
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

void TfrmMainForm::ExportEachDevice(const backup::TExportTarget& target,
                                    std::vector<backup::TDeviceOutcome>& outcomes) {
  outcomes.assign(FDeviceList.size(), backup::TDeviceOutcome());
  backup::TExportedPackages exported;
  for (size_t i = 0; i < FDeviceList.size(); ++i) outcomes[i] = ExportOneOfMany(FDeviceList[i], target, exported);
}

backup::TDeviceOutcome TfrmMainForm::ExportOneOfMany(TDevice& device, const backup::TExportTarget& target,
                                                     backup::TExportedPackages& exported) {
  StopIfClosing();  // the devices after the one under way are not begun
  backup::TDeviceOutcome outcome;
  try {
    ShowDevice(device);
    outcome.verification = VerifyDevice(device, false);
    if (!outcome.verified()) return outcome;  // its report stays in the log
    StopIfClosing();
    const backup::TExportResult result = backup::ExportPackageOnce(device, target, exported, FShellLog, FProgressSink);
    ShowArchiveError(result.error);
    outcome.archive = result.archive;
    outcome.archiveError = result.error;
    outcome.package = result.package;
  } catch (const std::exception& e) {
    outcome.failure = ExceptionMessage(e);
    ShowArchiveError(outcome.failure);
  }
  return outcome;
}
