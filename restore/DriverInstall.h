// Installing driver packages on the running system through the driver-installation
// port: publishing an INF in the driver store, installing it on the devices with a
// hardware id, or wherever it is the best driver. Each call's failure comes back as
// Windows' error code and its words, so that a restore reports it for that package
// and goes on; the restarts Windows asks for are collected over every call.
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace restore {

// Which call failed: the same code means different things after each.
enum class InstallCall { Publish, UpdateDevices, InstallDriver };

struct InstallResult {
  uint32_t error = 0;  // Windows' error code; 0 when done
  WString message;     // what failed, in the system's words; empty when done
  bool restartNeeded = false;
  bool ok() const { return error == 0; }
};

struct PublishResult : InstallResult {
  WString publishedInf;  // the INF's path in the driver store ("C:\Windows\INF\oem12.inf")
};

// The text for a failed call: what the code means for it where the system's words
// alone mislead ("No more data is available" for a driver that is not better), the
// system's words, and the code where the system has no text for it.
WString InstallErrorText(InstallCall call, uint32_t code);

class DriverInstallation {
 public:
  // SetupCopyOEMInfW: the INF (a host path) and its catalog into the driver store.
  PublishResult Publish(const WString& infPath);
  // UpdateDriverForPlugAndPlayDevicesW without a prompt: the INF onto every present
  // device with the hardware id, when it is a better driver (`force`: in any case).
  InstallResult InstallOnDevices(const WString& hardwareId, const WString& infPath, bool force = false);
  // DiInstallDriverW: the INF published and installed wherever it is the best driver.
  InstallResult InstallDriver(const WString& infPath);

  // Whether any call so far said that Windows must restart.
  bool RestartNeeded() const { return restartNeeded_; }

 private:
  InstallResult Finish(bool ok, bool restart, InstallCall call);
  bool restartNeeded_ = false;
};

}  // namespace restore
