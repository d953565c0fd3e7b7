// Owners of the handles the setup services hand out: the device set and icons.
#pragma once
#include "platform/Platform.h"
#include "platform/SetupApi.h"

namespace devices {

// Destroys the device set when it goes out of scope, also on an exception.
class DeviceInfoSet {
 public:
  explicit DeviceInfoSet(ports::HDevInfo set) : set_(set) {}
  ~DeviceInfoSet() { Destroy(); }
  DeviceInfoSet(const DeviceInfoSet&) = delete;
  DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

  bool Valid() const { return set_ != winapi::kInvalidHandle; }
  ports::HDevInfo Get() const { return set_; }
  // Destroys the set now (idempotent).
  void Destroy() {
    if (Valid()) Os().setup->DestroyDeviceInfoList(set_);
    set_ = winapi::kInvalidHandle;
  }

 private:
  ports::HDevInfo set_;
};

class Icon {
 public:
  explicit Icon(ports::HIcon icon) : icon_(icon) {}
  ~Icon() {
    if (icon_) Os().setup->DestroyIcon(icon_);
  }
  Icon(const Icon&) = delete;
  Icon& operator=(const Icon&) = delete;
  ports::HIcon Get() const { return icon_; }

 private:
  ports::HIcon icon_;
};

}  // namespace devices
