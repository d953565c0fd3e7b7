// A test double of the driver-installation port: answers each call with the next
// scripted outcome (the error code through the offline platform's last error)
// and records what it was given.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/DriverInstaller.h"
#include "platform/offline/Machine.h"
#include "platform/Text.h"

namespace test_support {

class ScriptedInstaller final : public ports::IDriverInstaller {
 public:
  struct Outcome {
    uint32_t error = 0;  // 0: the call succeeds
    bool reboot = false;
    WString published;   // CopyOEMInf's destination
  };
  struct Call {
    WString inf, hardwareId;
    uint32_t flags = 0, size = 0;
  };
  std::vector<Outcome> outcomes;
  std::vector<Call> calls;

  bool CopyOEMInf(const char16_t* sourceInf, const char16_t*, uint32_t, uint32_t copyStyle, char16_t* destination,
                  uint32_t size, uint32_t* requiredSize) override {
    const Outcome o = Next({sourceInf, u"", copyStyle, size});
    *requiredSize = uint32_t(o.published.size() + 1);
    if (o.published.size() + 1 > size) return Fail(winapi::kErrorInsufficientBuffer);
    std::copy(o.published.begin(), o.published.end(), destination);
    destination[o.published.size()] = u'\0';
    return o.error ? Fail(o.error) : true;
  }
  bool UpdateDriverForPlugAndPlayDevices(winapi::Handle, const char16_t* hardwareId, const char16_t* inf,
                                         uint32_t flags, bool* reboot) override {
    const Outcome o = Next({inf, hardwareId, flags, 0});
    *reboot = o.reboot;
    return o.error ? Fail(o.error) : true;
  }
  bool DiInstallDriver(winapi::Handle, const char16_t* inf, uint32_t flags, bool* reboot) override {
    const Outcome o = Next({inf, u"", flags, 0});
    *reboot = o.reboot;
    return o.error ? Fail(o.error) : true;
  }

 private:
  Outcome Next(Call call) {
    calls.push_back(std::move(call));
    if (calls.size() > outcomes.size()) ADD_FAILURE() << "unscripted call " << calls.size();
    return calls.size() <= outcomes.size() ? outcomes[calls.size() - 1] : Outcome{};
  }
  static bool Fail(uint32_t code) {
    offline::SetLastError(code);
    return false;
  }
};

}  // namespace test_support
