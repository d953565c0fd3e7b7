// The driver-installation and elevation ports of a machine read from a folder: an
// installation that is not running is only ever read, so every call is refused
// with ERROR_NOT_SUPPORTED and nothing is written.
#include "platform/DriverInstaller.h"
#include "platform/Elevation.h"
#include "platform/offline/Adapters.h"

namespace offline {

namespace {

bool Refuse() {
  SetLastError(winapi::kErrorNotSupported);
  return false;
}

class OfflineDriverInstaller final : public ports::IDriverInstaller {
 public:
  bool CopyOEMInf(const char16_t*, const char16_t*, uint32_t, uint32_t, char16_t*, uint32_t,
                  uint32_t* requiredSize) override {
    if (requiredSize) *requiredSize = 0;
    return Refuse();
  }
  bool UpdateDriverForPlugAndPlayDevices(winapi::Handle, const char16_t*, const char16_t*, uint32_t,
                                         bool* rebootRequired) override {
    if (rebootRequired) *rebootRequired = false;
    return Refuse();
  }
  bool DiInstallDriver(winapi::Handle, const char16_t*, uint32_t, bool* needReboot) override {
    if (needReboot) *needReboot = false;
    return Refuse();
  }
};

// No process runs on an installation read from a folder, so none is elevated on it.
class OfflineElevation final : public ports::IElevation {
 public:
  bool GetTokenElevation(bool*) override { return Refuse(); }
};

}  // namespace

std::unique_ptr<ports::IDriverInstaller> MakeDriverInstaller() { return std::make_unique<OfflineDriverInstaller>(); }
std::unique_ptr<ports::IElevation> MakeElevation() { return std::make_unique<OfflineElevation>(); }

}  // namespace offline
