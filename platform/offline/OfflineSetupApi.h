// The setup-services port over an offline machine. Devices are the keys three
// levels below HKLM\SYSTEM\CurrentControlSet\Enum, in registry order, less the
// instance ids machine.ini lists under [absent] and the devices Windows recorded
// as removed (DevicePresence.h); their values are the device properties, with
// DeviceDesc, Mfg and FriendlyName resolved as on Windows (IndirectString.h) and
// the class name taken from the class key when the device has none. INF information and the driver store come from the machine's
// C:\Windows\INF, HKLM\DRIVERS\DriverDatabase and DriverStore\FileRepository.
//
// machine.ini [faults] keys this adapter reads (value: the error code):
//   SetupDiGetClassDevsW                      the device set cannot be made
//   SetupDiGetDeviceInstanceIdW[:<id>]        the instance-id call fails
//   SetupDiLoadDeviceIcon[:<id>]              no icon
//   SetupDiGetDeviceRegistryPropertyW[:<id>]  every property read of the device fails
//   SetupDiGetClassDescriptionW[:<guid>]      no class description
//   SetupGetInfInformationW[:<inf>]           no INF information
//   SetupQueryInfOriginalFileInformationW     no pre-installation names
//   SetupGetInfDriverStoreLocationW           the entry point is missing
//   SetupGetInfDriverStoreLocationW:<inf>     the lookup with a buffer fails (the size probe works)
// The code 0xC0000005 makes the call raise an exception instead, as a call that
// crashes inside the system would.
#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/SetupApi.h"
#include "platform/offline/Machine.h"

namespace offline {

constexpr uint32_t kRaiseException = 0xC0000005;

class OfflineSetupApi final : public ports::ISetupApi {
 public:
  explicit OfflineSetupApi(Machine& m) : machine_(m) {}

  ports::HDevInfo GetClassDevs(const winapi::Guid* classGuid, const char16_t* enumerator, winapi::Handle hwndParent,
                               uint32_t flags) override;
  bool EnumDeviceInfo(ports::HDevInfo set, uint32_t index, ports::SpDevInfoData* data) override;
  bool GetDeviceInstanceId(ports::HDevInfo set, const ports::SpDevInfoData* data, char16_t* buffer, uint32_t size,
                           uint32_t* requiredSize) override;
  bool LoadDeviceIcon(ports::HDevInfo set, const ports::SpDevInfoData* data, uint32_t cxIcon, uint32_t cyIcon,
                      uint32_t flags, ports::HIcon* icon) override;
  bool GetDeviceRegistryProperty(ports::HDevInfo set, const ports::SpDevInfoData* data, uint32_t property,
                                 uint32_t* regType, uint8_t* buffer, uint32_t size, uint32_t* requiredSize) override;
  bool GetClassDescription(const winapi::Guid& classGuid, char16_t* buffer, uint32_t size,
                           uint32_t* requiredSize) override;
  bool GetInfInformation(const char16_t* infSpec, uint32_t searchControl, uint8_t* returnBuffer, uint32_t size,
                         uint32_t* requiredSize) override;
  bool QueryInfOriginalFileInformation(const uint8_t* infInformation, uint32_t infIndex, const void* altPlatformInfo,
                                       ports::SpOriginalFileInfo* info) override;
  bool BindInfDriverStoreLocation() override;
  bool GetInfDriverStoreLocation(const char16_t* fileName, const void* altPlatformInfo, const char16_t* localeName,
                                 char16_t* returnBuffer, uint32_t size, uint32_t* requiredSize) override;
  bool DestroyDeviceInfoList(ports::HDevInfo set) override;
  bool DestroyIcon(ports::HIcon icon) override;

  // What the program has not given back yet (tests check for leaks).
  size_t OpenDeviceSets() const { return sets_.size(); }
  size_t LiveIcons() const { return icons_.size(); }

 private:
  struct Device {
    WString instanceId;
    const RegKey* key;
    uint32_t devInst;
    winapi::Guid classGuid;
  };
  using DeviceSet = std::vector<Device>;

  // The injected fault for `api` (and `detail`); raises for kRaiseException.
  uint32_t Fault(std::string_view api, WStringView detail = {}) const;
  // The device `data` names in `set`; null with the last error set.
  const Device* Find(ports::HDevInfo set, const ports::SpDevInfoData* data) const;
  DeviceSet PresentDevices(const winapi::Guid* classGuid, const char16_t* enumerator, uint32_t flags) const;
  bool IsAbsent(const WString& instanceId) const;
  const RegKey* ClassKey(const winapi::Guid& classGuid) const;
  // A stored text as the setup services return it (indirect strings resolved,
  // remembered per text); nullopt when it cannot be resolved.
  std::optional<WString> Resolve(const WString& stored) const;
  std::optional<WString> ClassDescription(const winapi::Guid& classGuid) const;
  // The active package id of an installed INF: the driver database's, else the
  // store folder holding the same INF; empty when none. A database entry that
  // names no folder of the driver store gives the refusal instead.
  struct Package {
    WString id;
    WString refusal;
  };
  Package ActivePackage(const WString& infName) const;

  Machine& machine_;
  std::map<ports::HDevInfo, DeviceSet> sets_;
  std::map<ports::HIcon, winapi::Guid> icons_;
  ports::HDevInfo nextSet_ = 0x1000;
  ports::HIcon nextIcon_ = 0x20000;
  bool driverStoreLocationBound_ = false;
  mutable std::mutex resolvedMutex_;
  mutable std::map<WString, std::optional<WString>> resolved_;
  mutable std::map<WString, WString> packagesByContent_;  // by upper-case INF name
};

}  // namespace offline
