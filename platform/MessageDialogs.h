// The message-box port: modal message dialogs with a single OK button, and
// questions answered Yes or No.
#pragma once
#include "platform/Text.h"

namespace ports {

enum class MessageKind { Error, Warning, Information };

// The Win32 adapter shows a real message box; tests, quillon-headless and the
// command line record or print them.
class IMessageDialogs {
 public:
  virtual ~IMessageDialogs() = default;
  virtual void ShowMessage(MessageKind kind, const WString& text) = 0;
  // A question with Yes and No; true for Yes. A port that cannot ask (the command
  // line, the headless driver) shows the question as a warning and answers No, so
  // that nothing is done on its behalf.
  virtual bool AskYesNo(const WString& question) {
    ShowMessage(MessageKind::Warning, question);
    return false;
  }
};

}  // namespace ports
