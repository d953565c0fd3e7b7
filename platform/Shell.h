// Shell port (shell32 ShellExecuteW) and the message-box port.
#pragma once
#include "platform/Text.h"

namespace ports {

constexpr int kSwShowNormal = 1;

class IShell {
 public:
  virtual ~IShell() = default;
  // Starts a program; the result is the ShellExecuteW instance value (> 32 is success).
  virtual intptr_t ShellExecute(const WString& operation, const WString& file, const WString& parameters,
                                const WString& directory, int showCommand) = 0;
};

enum class MessageKind { Error, Warning, Information };

// Modal message dialogs with a single OK button. The Win32 adapter shows a real
// message box; tests and the headless driver record or print them.
class IMessageDialogs {
 public:
  virtual ~IMessageDialogs() = default;
  virtual void ShowMessage(MessageKind kind, const WString& text) = 0;
};

}  // namespace ports
