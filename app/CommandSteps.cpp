#include "app/CommandSteps.h"

#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace commands {

const WString kVerifyFailed = u"Verify completed with errors. See Shell output for details.";

bool OperatingSystemSupported() {
  const ports::OsVersion v = Os().system->GetVersion();
  if (v.major > 6 || (v.major == 6 && v.minor >= 2)) return true;
  Os().dialogs->ShowMessage(ports::MessageKind::Error, u"Windows 7 and below is not supported.");
  return false;
}

view::IFolderPicker& SharedFolderPicker(TfrmMainForm& form, const WString& titleAtCreation) {
  if (!form.dlg) {
    form.dlg = form.View().CreateFolderPicker();
    if (!titleAtCreation.empty()) form.dlg->SetTitle(titleAtCreation);
  }
  return *form.dlg;
}

bool PickOutputFolder(TfrmMainForm& form, view::IFolderPicker& dlg) {
  if (!dlg.Execute()) return false;
  dlg.SetDefaultFolder(dlg.FileName());
  form.View().PageControl1().SetActivePage(view::Page::tsOutput);
  form.View().reOutput().LinesClear();
  return true;
}

void StartExplorer(const WString& parameters) {
  // Explorer runs on its own; whether it started is not the command's outcome.
  Os().shell->ShellExecute(u"open", u"explorer.exe", parameters, WString(), ports::kSwShowNormal);
}

void RunThenAlways(const std::function<void()>& body, const std::function<void()>& closing) {
  try {
    body();
  } catch (...) {
    closing();
    throw;
  }
  closing();
}

void LogComplete(TfrmMainForm& form) { form.View().reOutput().LinesAdd(u"*** Complete ***\r\n"); }

}  // namespace commands
