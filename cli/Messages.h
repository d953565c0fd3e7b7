// The message-box port of the command line: what the window would show in a
// message box is collected for the device being worked on, or else printed on
// stderr at once.
#pragma once
#include <mutex>
#include <ostream>
#include <vector>

#include "platform/MessageDialogs.h"

namespace cli {

struct Message {
  ports::MessageKind kind;
  WString text;
};

// "error", "warning" or "information".
const char* KindName(ports::MessageKind kind);

class MessagePort final : public ports::IMessageDialogs {
 public:
  explicit MessagePort(std::ostream& err) : err_(err) {}
  void ShowMessage(ports::MessageKind kind, const WString& text) override;

  // While alive, the messages of the calling thread go into `into`.
  class Collector {
   public:
    explicit Collector(std::vector<Message>& into);
    ~Collector();
    Collector(const Collector&) = delete;
    Collector& operator=(const Collector&) = delete;

   private:
    std::vector<Message>* previous_;
  };

 private:
  std::ostream& err_;
  std::mutex printing_;
};

}  // namespace cli
