// TfrmMainForm: Export Driver, Export All and ExportDriver, the export of one
// device into the folder chosen in the shared folder picker.
#include <filesystem>
#include <system_error>

#include "app/ExportNames.h"
#include "app/ExportedPackages.h"
#include "app/MainFormUnit.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"

void TfrmMainForm::btnExportClick() {
  if (!OperatingSystemSupported()) return;
  const view::NodeId node = FView.tvDevices().Selected();
  if (node == view::kNoNode || !FView.tvDevices().Device(node)) return;
  TDevice device = *FView.tvDevices().Device(node);

  view::IFolderPicker& picker = SharedFolderPicker(WString());
  TProgressCloser closeProgress(*this);
  if (!PickOutputFolder(picker)) return;

  ShowProgress(u"Verifying Driver Files");
  if (!VerifyDriver(device, true)) {
    CloseProgress();
    ShowVerifyFailed();
    return;
  }
  ShowProgress(u"Exporting Driver");
  const WString archive = ExportDriver(device);
  CloseProgress();
  LogComplete();
  // Without an archive the archive step's error message is the outcome (docs/behaviour.md).
  if (archive.empty()) return;
  Os().dialogs->ShowMessage(ports::MessageKind::Information, u"Driver exported successfully.");
  StartExplorer(u"/select," + archive);
}

void TfrmMainForm::btnExportAllClick() {
  if (!OperatingSystemSupported()) return;
  view::IFolderPicker& picker =
      SharedFolderPicker(u"Exporting " + text::FromInt(int64_t(FDeviceList.size())) + u" devices to selected folder");
  RunThenAlways(
      [&] {
        if (FDeviceList.empty() || !PickOutputFolder(picker)) return;
        TExportedPackages exported;
        for (TDevice& device : FDeviceList) {
          ShowDevice(device);
          if (!VerifyDriver(device, false)) continue;  // its report stays in the log
          ExportPackageOnce(*this, device, exported);
        }
      },
      [&] {
        CloseProgress();
        LogComplete();
        // Also after a cancelled picker: see docs/behaviour.md.
        StartExplorer(picker.FileName());
      });
}

void TfrmMainForm::RemoveWorkFolder(const WString& workFolder) {
  std::error_code ec;
  std::filesystem::remove_all(text::ToPath(workFolder), ec);
  if (ec)
    AddShellLine(u"The work folder \"" + workFolder + u"\" could not be removed: " + FileErrorText(ec) +
                 u"\r\n");
}

WString TfrmMainForm::ExportDriver(TDevice& device) {
  if (!FDlg) throw QuillonError(u"No output folder has been chosen.");
  FView.reOutput().LinesAdd(u"*** Exporting Driver ***\r\n");
  const WString chosen = FDlg->FileName();
  // A folder of its own, never the chosen folder or anything already in it (docs/behaviour.md).
  const WString workFolder = exportnames::NewWorkFolder(chosen, exportnames::WorkFolderName(device));
  WString archive = exportnames::ArchiveBaseName(chosen, device);

  const WString source = paths::ExtractFilePath(device.DriverStore);
  SetProgressText(source);
  bool written = false;
  try {
    CopyFolderTree(source, workFolder);
    written = ArchiveFiles(*this, FSevenZipLibraryPath, archive, workFolder, u"*.*", WStringList(), true);
  } catch (...) {
    RemoveWorkFolder(workFolder);
    throw;
  }
  if (!written) RemoveWorkFolder(workFolder);
  return written ? archive : WString();
}
