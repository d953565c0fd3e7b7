#include "cli/Messages.h"

namespace cli {

namespace {
thread_local std::vector<Message>* collecting = nullptr;
}  // namespace

const char* KindName(ports::MessageKind kind) {
  return kind == ports::MessageKind::Error     ? "error"
         : kind == ports::MessageKind::Warning ? "warning"
                                               : "information";
}

void MessagePort::ShowMessage(ports::MessageKind kind, const WString& text) {
  if (collecting) {
    collecting->push_back({kind, text});
    return;
  }
  std::lock_guard<std::mutex> lock(printing_);
  err_ << "quillon: " << KindName(kind) << ": " << text::ToUtf8(text) << '\n';
}

MessagePort::Collector::Collector(std::vector<Message>& into) : previous_(collecting) { collecting = &into; }

MessagePort::Collector::~Collector() { collecting = previous_; }

}  // namespace cli
