// Steps the commands Verify Signatures, Export Driver, Export All and Prepare NAVU
// Submission share: the operating-system check, the shared folder picker, the
// Explorer start and the guarded closing of the progress window.
#pragma once
#include <functional>

#include "app/MainFormUnit.h"

namespace commands {

// "Verify completed with errors. See Shell output for details."
extern const WString kVerifyFailed;

// Closes the main window's progress window however the scope is left.
class ProgressCloser {
 public:
  explicit ProgressCloser(TfrmMainForm& form) : form_(form) {}
  ~ProgressCloser() { form_.CloseProgress(); }
  ProgressCloser(const ProgressCloser&) = delete;
  ProgressCloser& operator=(const ProgressCloser&) = delete;

 private:
  TfrmMainForm& form_;
};

// True on Windows 8 (6.2) or later; otherwise shows "Windows 7 and below is not
// supported." as an error and returns false.
bool OperatingSystemSupported();

// The shared folder picker `dlg`, made on first use with `titleAtCreation`.
view::IFolderPicker& SharedFolderPicker(TfrmMainForm& form, const WString& titleAtCreation);

// Shows the picker; on a choice, makes it the picker's default folder, makes the
// Shell tab active and clears the log. False when the user cancelled.
bool PickOutputFolder(TfrmMainForm& form, view::IFolderPicker& dlg);

// Starts "explorer.exe" with `parameters`, shown normally.
void StartExplorer(const WString& parameters);

// Runs `body`, then `closing`, which also runs (before the error goes on) when
// `body` raises.
void RunThenAlways(const std::function<void()>& body, const std::function<void()>& closing);

// Adds "*** Complete ***" to the Shell log.
void LogComplete(TfrmMainForm& form);

}  // namespace commands
