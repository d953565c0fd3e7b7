// The message-box port of the command line: what the window would show in a
// message box (the scan's own failures) is printed on stderr.
#pragma once
#include <mutex>
#include <ostream>

#include "platform/MessageDialogs.h"

namespace cli {

// "error", "warning" or "information".
const char* KindName(ports::MessageKind kind);

class MessagePort final : public ports::IMessageDialogs {
 public:
  explicit MessagePort(std::ostream& err) : err_(err) {}
  void ShowMessage(ports::MessageKind kind, const WString& text) override;

 private:
  std::ostream& err_;
  std::mutex printing_;
};

}  // namespace cli
