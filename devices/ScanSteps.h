// The steps of ScanDevices, one per file, so that each can be read and tested on
// its own. Internal to the device inventory.
#pragma once
#include <cstdint>

#include "devices/Devices.h"
#include "platform/SetupApi.h"

namespace devices {

// The one property buffer of a scan: 1024 bytes, reused for every property read,
// never grown (see docs/behaviour.md).
constexpr uint32_t kPropertyBufferBytes = 1024;
constexpr uint32_t kInstanceIdChars = winapi::kMaxPath;
constexpr uint32_t kInfInformationBytes = 1036;
constexpr uint32_t kDriverStorePathChars = winapi::kMaxPath;

struct PropertyBuffer {
  alignas(char16_t) uint8_t bytes[kPropertyBufferBytes] = {};
};

// Joins a REG_MULTI_SZ held in the first `validBytes` bytes of the buffer: at
// most 511 code units, an inner NUL becomes "|", a double NUL ends the list.
WString JoinMultiString(const PropertyBuffer& buffer, uint32_t validBytes);

// Step 4: the instance id; empty when the call fails.
WString ReadInstanceId(ports::HDevInfo set, const ports::SpDevInfoData& element);
// Step 5: loads the device icon into `images` and returns its index (0 when none).
int32_t AddDeviceIcon(ports::HDevInfo set, const ports::SpDevInfoData& element, ports::IImageList& images);
// Step 6: the ten device properties, and the class description with the class.
void ReadDeviceProperties(ports::HDevInfo set, const ports::SpDevInfoData& element, PropertyBuffer& buffer,
                          TDevice& device);
WString ReadClassDescription(const winapi::Guid& classGuid);
// Step 6.1: a device without a description takes its service name, else its
// instance id's device part (InstanceIdDevicePart); a class without a description
// its class name. A device never shows as an empty row.
void FillMissingNames(TDevice& device);
// "ROOT\LEGACY_AFD\0000" -> "LEGACY_AFD"; an id without a backslash is its own device part.
WString InstanceIdDevicePart(const WString& instanceId);
// Step 7: the driver key's values. For a value of another type than expected or
// a DriverDateData longer than 8 bytes, raises QuillonError (EndTheScan) or sets
// the device's ReadProblem (SpoilTheDevice).
void ReadDriverKey(TDevice& device, WrongTypedValues wrongTyped);
// Step 8.2: the INF and catalog names before installation.
void ReadOriginalNames(TDevice& device);
// Step 8.3: the driver-store path of the INF, when the entry point is bound.
// Shows a warning when the lookup fails after its size probe.
void ReadDriverStore(TDevice& device);
bool DriverStoreLocationBound();

}  // namespace devices
