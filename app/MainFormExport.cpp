// TfrmMainForm: Export Driver, Export All and ExportDriver, the export of one
// device into the folder chosen in the shared folder picker.
#include <filesystem>
#include <system_error>

#include "app/CommandSteps.h"
#include "app/ExportNames.h"
#include "app/ExportedPackages.h"
#include "app/MainFormUnit.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

namespace {

// Removes the work folder this export made, unless the archive step already did.
// A folder that cannot be removed is named in the Shell log, not left silently.
void RemoveWorkFolder(TfrmMainForm& form, const WString& workFolder) {
  std::error_code ec;
  std::filesystem::remove_all(text::ToPath(workFolder), ec);
  if (ec)
    form.AddShellLine(u"The work folder \"" + workFolder + u"\" could not be removed: " +
                      text::FromUtf8(ec.message()) + u"\r\n");
}

}  // namespace

void TfrmMainForm::btnExportClick() {
  if (!commands::OperatingSystemSupported()) return;
  const view::NodeId node = view_.tvDevices().Selected();
  if (node == view::kNoNode || !view_.tvDevices().Device(node)) return;
  TDevice device = *view_.tvDevices().Device(node);

  view::IFolderPicker& picker = commands::SharedFolderPicker(*this, WString());
  commands::ProgressCloser closeProgress(*this);
  if (!commands::PickOutputFolder(*this, picker)) return;

  ShowProgress(u"Verifying Driver Files");
  if (!VerifyDriver(device, true)) {
    CloseProgress();
    Os().dialogs->ShowMessage(ports::MessageKind::Error, commands::kVerifyFailed);
    return;
  }
  ShowProgress(u"Exporting Driver");
  const WString archive = ExportDriver(device);
  CloseProgress();
  commands::LogComplete(*this);
  // Without an archive the archive step's error message is the outcome.
  if (archive.empty()) return;
  Os().dialogs->ShowMessage(ports::MessageKind::Information, u"Driver exported successfully.");
  commands::StartExplorer(u"/select," + archive);
}

void TfrmMainForm::btnExportAllClick() {
  if (!commands::OperatingSystemSupported()) return;
  view::IFolderPicker& picker = commands::SharedFolderPicker(
      *this, u"Exporting " + text::FromInt(int64_t(DeviceList.size())) + u" devices to selected folder");
  commands::RunThenAlways(
      [&] {
        if (DeviceList.empty() || !commands::PickOutputFolder(*this, picker)) return;
        TExportedPackages exported;
        for (TDevice& device : DeviceList) {
          ShowDevice(device);
          if (!VerifyDriver(device, false)) continue;  // its report stays in the log
          ExportPackageOnce(*this, device, exported);
        }
      },
      [&] {
        CloseProgress();
        commands::LogComplete(*this);
        commands::StartExplorer(picker.FileName());
      });
}

WString TfrmMainForm::ExportDriver(TDevice& device) {
  if (!dlg) throw QuillonError(u"No output folder has been chosen.");
  view_.reOutput().LinesAdd(u"*** Exporting Driver ***\r\n");
  const WString chosen = dlg->FileName();
  // A folder of its own, never the chosen folder or anything already in it.
  const WString workFolder = exportnames::NewWorkFolder(chosen, exportnames::WorkFolderName(device));
  WString archive = exportnames::ArchiveBaseName(chosen, device);

  const WString source = paths::ExtractFilePath(device.DriverStore);
  SetProgressText(source);
  bool written = false;
  try {
    CopyFolderTree(source, workFolder);
    written = ArchiveFiles(*this, SevenZipLibraryPath, archive, workFolder, u"*.*", WStringList(), true);
  } catch (...) {
    RemoveWorkFolder(*this, workFolder);
    throw;
  }
  if (!written) RemoveWorkFolder(*this, workFolder);
  return written ? archive : WString();
}
