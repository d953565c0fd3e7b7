#include "cli/Messages.h"

#include "cli/ShownText.h"

namespace cli {

const char* KindName(ports::MessageKind kind) {
  return kind == ports::MessageKind::Error     ? "error"
         : kind == ports::MessageKind::Warning ? "warning"
                                               : "information";
}

void MessagePort::ShowMessage(ports::MessageKind kind, const WString& text) {
  std::lock_guard<std::mutex> lock(printing_);
  err_ << "quillon: " << KindName(kind) << ": " << Shown(text) << '\n';
}

}  // namespace cli
