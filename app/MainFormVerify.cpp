// TfrmMainForm: Verify Signatures and VerifyDriver, the signature gate of every export.
#include "app/MainFormUnit.h"
#include "backup/DriverCheck.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"

namespace {

const WString kVerifyPassed = u"Verify completed with no reported errors. See Shell output for details.";
const WString kVerifyFailed = u"Verify completed with errors. See Shell output for details.";

}  // namespace

void TfrmMainForm::btnVerifyClick() {
  const view::NodeId node = FView.tvDevices().Selected();
  if (node == view::kNoNode) return;
  TDevice* device = FView.tvDevices().Device(node);
  if (!device) return;
  RunCommand([&] {
    TProgressCloser closeProgress(*this);
    FView.reOutput().LinesClear();
    const bool passed = VerifyDriver(*device, true);
    StopIfClosing();
    Os().dialogs->ShowMessage(passed ? ports::MessageKind::Information : ports::MessageKind::Error,
                              passed ? kVerifyPassed : kVerifyFailed);
  });
}

void TfrmMainForm::ShowVerifyFailed() { Os().dialogs->ShowMessage(ports::MessageKind::Error, kVerifyFailed); }

bool TfrmMainForm::VerifyDriver(TDevice& device, bool ClearOutput) { return VerifyDevice(device, ClearOutput).passed; }

backup::TVerifyReport TfrmMainForm::VerifyDevice(TDevice& device, bool ClearOutput) {
  if (ClearOutput) FView.reOutput().LinesClear();
  FView.PageControl1().SetActivePage(view::Page::tsOutput);
  return backup::VerifyDriver(device, FChecker, FShellLog, FProgressSink);
}
