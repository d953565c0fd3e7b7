// Setup-services port: the setupapi calls the device scan makes.
// (The device-inventory work fills in the calls; see devices/.)
#pragma once
#include "platform/Text.h"

namespace ports {

class ISetupApi {
 public:
  virtual ~ISetupApi() = default;
};

}  // namespace ports
