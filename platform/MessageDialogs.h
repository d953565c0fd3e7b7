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
  // A question in a message box with Yes and No; true on Yes. Where nobody is
  // there to answer (the command line, benchmarks) the answer is No, so that
  // nothing a question guards happens unasked.
  virtual bool AskYesNo(const WString&) { return false; }
};

}  // namespace ports
