// TfrmMainForm: the steps Verify Signatures, Export Driver, Export All and Prepare
// NAVU Submission share: the operating-system check, the shared folder picker,
// the Explorer start and the guarded closing of the progress window.
#include "app/MainFormUnit.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/ProgramStarter.h"
#include "platform/System.h"

bool TfrmMainForm::OperatingSystemSupported() {
  const ports::OsVersion v = Os().system->GetVersion();
  if (v.major > 6 || (v.major == 6 && v.minor >= 2)) return true;
  Os().dialogs->ShowMessage(ports::MessageKind::Error, u"Windows 7 and below is not supported.");
  return false;
}

view::IFolderPicker& TfrmMainForm::SharedFolderPicker(const WString& titleAtCreation) {
  if (!FDlg) {
    FDlg = FView.CreateFolderPicker();
    if (!titleAtCreation.empty()) FDlg->SetTitle(titleAtCreation);
  }
  return *FDlg;
}

bool TfrmMainForm::PickOutputFolder(view::IFolderPicker& picker) {
  if (!picker.Execute()) return false;
  picker.SetDefaultFolder(picker.FileName());
  FView.PageControl1().SetActivePage(view::Page::tsOutput);
  FView.reOutput().LinesClear();
  return true;
}

void TfrmMainForm::StartExplorer(const WString& parameters) const {
  if (FClosing) return;
  // Explorer runs on its own; whether it started is not the command's outcome.
  Os().programs->ShellExecute(u"open", u"explorer.exe", parameters, WString(), ports::kSwShowNormal);
}

void TfrmMainForm::RunThenAlways(const std::function<void()>& body, const std::function<void()>& closing) {
  try {
    body();
  } catch (...) {
    closing();
    throw;
  }
  closing();
}

void TfrmMainForm::LogComplete() { FView.reOutput().LinesAdd(u"*** Complete ***\r\n"); }
