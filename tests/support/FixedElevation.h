// A test double of the elevation port: answers elevated or not, or fails with a
// given error code as a token that cannot be read does.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/Elevation.h"

namespace test_support {

class FixedElevation final : public ports::IElevation {
 public:
  // `setLastError` sets the thread's last error through the platform under test.
  FixedElevation(bool elevated, std::function<void(uint32_t)> setLastError, uint32_t failure = 0)
      : elevated_(elevated), setLastError_(std::move(setLastError)), failure_(failure) {}

  bool GetTokenElevation(bool* elevated) override {
    ++calls;
    if (failure_) {
      setLastError_(failure_);
      return false;
    }
    *elevated = elevated_;
    return true;
  }

  int calls = 0;

 private:
  bool elevated_;
  std::function<void(uint32_t)> setLastError_;
  uint32_t failure_;
};

}  // namespace test_support
