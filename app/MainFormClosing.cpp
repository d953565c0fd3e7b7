// TfrmMainForm: a command under way keeps the window answering, and closing the
// window meanwhile asks first, then stops the command the way Ctrl+C stops the
// command line: after the file it is on, through the command layer's stop flag,
// so that no work folder and no partial archive are left behind.
#include "app/MainFormUnit.h"
#include "platform/Interrupt.h"
#include "platform/MessageDialogs.h"
#include "platform/Platform.h"

namespace {
const WString kStopAndClose = u"A command is still running. Stop it after the current file and close?";
}  // namespace

bool TfrmMainForm::FormCloseQuery() {
  if (!FCommandRunning) return true;
  if (FClosing) return false;  // asked already: the window closes once the command has stopped
  if (!Os().dialogs->AskYesNo(kStopAndClose)) return false;
  FClosing = true;
  interrupt::Flag() = true;
  return false;
}

void TfrmMainForm::RunCommand(const std::function<void()>& body) {
  if (FCommandRunning) return;  // one command at a time
  FCommandRunning = true;
  FClosing = false;
  interrupt::Flag() = false;
  // One big file hashed, copied or archived gives no progress for long: its loops
  // tick instead, and the window answers then too.
  working::ScopedListener answering([this] { KeepAnswering(); }, FStillWorkingInterval);
  try {
    body();
  } catch (const TClosing&) {
    // Stopped at the user's request; the window closes below.
  } catch (...) {
    FCommandRunning = false;
    // Once the user chose to close, an error is the stop itself ("Interrupted
    // before ..."), raised where the command was; the window goes without it.
    if (!FClosing) throw;
  }
  FCommandRunning = false;
  if (!FClosing) return;
  interrupt::Flag() = false;  // the process-wide flag is the command's, not the next one's
  FView.Close();
}

void TfrmMainForm::KeepAnswering() {
  if (std::this_thread::get_id() == FWindowThread && FCommandRunning) FView.ProcessMessages();
}

void TfrmMainForm::StopIfClosing() const {
  if (FClosing) throw TClosing();
}
