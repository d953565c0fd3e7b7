// Driver-installation port: the calls that put a driver package into the driver
// store and onto devices (setupapi's SetupCopyOEMInfW, newdev's
// UpdateDriverForPlugAndPlayDevicesW and DiInstallDriverW), with their Windows
// semantics: BOOL results with the reason in the thread's last error, and the
// restart Windows asks for reported through a flag.
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace ports {

// SetupCopyOEMInfW: OEMSourceMediaType and CopyStyle.
constexpr uint32_t kSpostPath = 1;              // the source media is the INF's own folder
constexpr uint32_t kSpCopyNoOverwrite = 0x08;   // fail with ERROR_FILE_EXISTS instead of replacing
// UpdateDriverForPlugAndPlayDevicesW flags.
constexpr uint32_t kInstallFlagForce = 0x01;            // install even when not a better driver
constexpr uint32_t kInstallFlagNonInteractive = 0x04;   // fail where Windows would have to ask
// DiInstallDriverW flags.
constexpr uint32_t kDiiFlagForceInf = 0x02;

// Last-error codes of the installation calls beyond the common Win32 ones.
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorElevationRequired = 740;
constexpr uint32_t kErrorSuccessRebootRequired = 3010;
constexpr uint32_t kErrorNoDriverSelected = 0xE0000203;
constexpr uint32_t kErrorNoCatalogForOemInf = 0xE000022F;
constexpr uint32_t kErrorAuthenticodeTrustNotEstablished = 0xE0000244;

class IDriverInstaller {
 public:
  virtual ~IDriverInstaller() = default;

  // SetupCopyOEMInfW: publishes the INF (a host path) and its catalog in the driver
  // store. mediaLocation may be null. The published INF's full path goes into
  // destination (size in characters); requiredSize (may be null) gets the characters
  // needed including the NUL. With kSpCopyNoOverwrite an INF already published fails
  // with ERROR_FILE_EXISTS and still reports its published path.
  virtual bool CopyOEMInf(const char16_t* sourceInf, const char16_t* mediaLocation, uint32_t mediaType,
                          uint32_t copyStyle, char16_t* destination, uint32_t size, uint32_t* requiredSize) = 0;

  // UpdateDriverForPlugAndPlayDevicesW: installs the INF on every present device whose
  // hardware or compatible ids hold hardwareId. rebootRequired may be null (then
  // Windows restarts by itself when needed); false with ERROR_NO_SUCH_DEVINST when no
  // device has the id, ERROR_NO_MORE_ITEMS when the INF is not a better driver.
  // The entry point is looked up at run time: ERROR_PROC_NOT_FOUND when missing.
  virtual bool UpdateDriverForPlugAndPlayDevices(winapi::Handle hwndParent, const char16_t* hardwareId,
                                                 const char16_t* fullInfPath, uint32_t flags,
                                                 bool* rebootRequired) = 0;

  // DiInstallDriverW: publishes the INF and installs it on the devices it is the best
  // driver for. needReboot may be null. Looked up at run time like the call above.
  virtual bool DiInstallDriver(winapi::Handle hwndParent, const char16_t* infPath, uint32_t flags,
                               bool* needReboot) = 0;
};

}  // namespace ports
