// Steps 8.2 and 8.3 of the scan: the names the package had before installation
// and its INF in the driver store.
#include <memory>

#include "devices/ScanSteps.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/System.h"
#include "platform/SystemMessage.h"

namespace devices {
namespace {
// Written once at start-up, read by every scan.
bool driverStoreLocationBound = false;

// A read the system refused with a reason of its own (a path of the disk that
// leads outside the installation) is the device's problem, not a missing file.
void KeepRefusal(TDevice& device) {
  if ((Os().system->GetLastError() & winapi::kApplicationErrorBit) && device.ReadProblem.empty())
    device.ReadProblem = LastErrorMessageTrimmed();
}
}  // namespace

void ReadOriginalNames(TDevice& device) {
  ports::ISetupApi& setup = *Os().setup;
  auto infInformation = std::make_unique<uint8_t[]>(kInfInformationBytes);
  if (!setup.GetInfInformation(device.InfPath.c_str(), ports::kInfInfoDefaultSearch, infInformation.get(),
                               kInfInformationBytes, nullptr))
    return KeepRefusal(device);
  ports::SpOriginalFileInfo original;
  original.cbSize = sizeof original;
  if (!setup.QueryInfOriginalFileInformation(infInformation.get(), 0, nullptr, &original)) return KeepRefusal(device);
  device.OriginalInfName = text::UpToNul(original.OriginalInfName, std::size(original.OriginalInfName));
  device.OriginalCatName = text::UpToNul(original.OriginalCatalogName, std::size(original.OriginalCatalogName));
}

bool DriverStoreLocationBound() { return driverStoreLocationBound; }

void ReadDriverStore(TDevice& device) {
  if (!driverStoreLocationBound) return;
  ports::ISetupApi& setup = *Os().setup;
  uint32_t required = 0;
  setup.GetInfDriverStoreLocation(device.InfPath.c_str(), nullptr, nullptr, nullptr, 0, &required);
  if (Os().system->GetLastError() != winapi::kErrorInsufficientBuffer) return KeepRefusal(device);
  char16_t path[kDriverStorePathChars] = {};
  if (setup.GetInfDriverStoreLocation(device.InfPath.c_str(), nullptr, nullptr, path, kDriverStorePathChars,
                                      &required)) {
    device.DriverStore = text::UpToNul(path, kDriverStorePathChars);
    return;
  }
  Os().dialogs->ShowMessage(ports::MessageKind::Warning,
                            u"Call to SetupGetInfDriverStoreLocationW failed: " + LastErrorMessage());
}

}  // namespace devices

void BindDriverStoreLocation() { devices::driverStoreLocationBound = Os().setup->BindInfDriverStoreLocation(); }
