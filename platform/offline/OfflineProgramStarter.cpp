// The program-start port of a machine read from a folder: nothing is started; every start is
// reported to the owner, and succeeds as ShellExecuteW does (a value above 32).
#include "platform/ProgramStarter.h"
#include "platform/offline/Adapters.h"

namespace offline {

namespace {

constexpr intptr_t kStarted = 42;

class OfflineProgramStarter final : public ports::IProgramStarter {
 public:
  OfflineProgramStarter(Machine& m, std::function<void(const WString&, const WString&)> onStart)
      : machine_(m), onStart_(std::move(onStart)) {}

  intptr_t ShellExecute(const WString&, const WString& file, const WString& parameters, const WString&,
                        int) override {
    if (onStart_) onStart_(file, parameters);
    // ShellExecuteW's failure values are small error codes (<= 32), e.g. 2 for a missing file.
    if (uint32_t fault = machine_.Fault("ShellExecuteW", text::ToUtf8(file))) {
      SetLastError(fault);
      return intptr_t(fault <= 32 ? fault : 0);
    }
    return kStarted;
  }

 private:
  Machine& machine_;
  std::function<void(const WString&, const WString&)> onStart_;
};

}  // namespace

std::unique_ptr<ports::IProgramStarter> MakeProgramStarter(Machine& m, std::function<void(const WString&, const WString&)> onStart) {
  return std::make_unique<OfflineProgramStarter>(m, std::move(onStart));
}

}  // namespace offline
