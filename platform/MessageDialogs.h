// The message-box port: modal message dialogs with a single OK button.
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
};

}  // namespace ports
