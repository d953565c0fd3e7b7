// A whole Platform over one offline machine. The message-dialog port is the
// caller's (tests record, the headless driver prints).
#pragma once
#include <functional>
#include <memory>

#include "platform/Platform.h"
#include "platform/offline/Machine.h"

namespace offline {

class OfflinePlatform {
 public:
  explicit OfflinePlatform(std::unique_ptr<Machine> machine,
                       std::function<void(const WString& program, const WString& parameters)> onStart = {});
  ~OfflinePlatform();
  OfflinePlatform(const OfflinePlatform&) = delete;
  OfflinePlatform& operator=(const OfflinePlatform&) = delete;

  Platform& Ports() { return platform_; }
  Machine& Host() { return *machine_; }
  void SetDialogs(ports::IMessageDialogs* dialogs) { platform_.dialogs = dialogs; }

 private:
  struct Adapters;
  std::unique_ptr<Machine> machine_;
  std::unique_ptr<Adapters> adapters_;
  Platform platform_;
};

}  // namespace offline
