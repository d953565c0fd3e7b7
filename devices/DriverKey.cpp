// Step 7 of the scan: the values of the device's driver key.
#include "devices/ScanSteps.h"
#include "platform/RegistryKey.h"

namespace devices {
namespace {

constexpr char16_t kClassKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Class\\";

}  // namespace

void ReadDriverKey(TDevice& device) {
  // Without a driver there is no driver key (the bare Class key is no driver's).
  if (device.DriverKey.empty()) return;
  TRegistryKey key;
  if (key.OpenReadOnly(kClassKey + device.DriverKey) != int32_t(winapi::kErrorSuccess)) return;
  // A value of another type ends the scan: see docs/behaviour.md.
  device.DriverDate = key.ReadString(u"DriverDate");
  device.DriverDescription = key.ReadString(u"DriverDesc");
  device.DriverVersion = key.ReadString(u"DriverVersion");
  device.InfPath = key.ReadString(u"InfPath");
  device.InfSection = key.ReadString(u"InfSection");
  device.MatchingDeviceId = key.ReadString(u"MatchingDeviceId");
  device.ProviderName = key.ReadString(u"ProviderName");
  static_assert(sizeof(device.DriverDateData) == 8);
  key.ReadBinary(u"DriverDateData", &device.DriverDateData, sizeof(device.DriverDateData));
}

}  // namespace devices
