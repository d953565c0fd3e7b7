// Step 6 of the scan: device properties, one call each into the shared buffer.
#include <algorithm>
#include <cstring>
#include <memory>

#include "devices/ScanSteps.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace devices {
namespace {

constexpr uint32_t kBufferUnits = kPropertyBufferBytes / sizeof(char16_t);
constexpr uint32_t kMaxJoinedUnits = kBufferUnits - 1;  // byte offsets 0 .. 1020

char16_t UnitAt(const PropertyBuffer& buffer, uint32_t index) {
  char16_t unit;
  std::memcpy(&unit, buffer.bytes + index * sizeof(char16_t), sizeof unit);
  return unit;
}

// Units past what the call returned read as zero, so that a value stored
// without its terminator never picks up what an earlier property left behind.
char16_t ValidUnitAt(const PropertyBuffer& buffer, uint32_t index, uint32_t validUnits) {
  return index < validUnits ? UnitAt(buffer, index) : u'\0';
}

uint32_t ValidUnits(uint32_t validBytes) {
  return std::min(validBytes, kPropertyBufferBytes) / uint32_t(sizeof(char16_t));
}

WString TextOf(const PropertyBuffer& buffer, uint32_t validBytes) {
  const uint32_t units = ValidUnits(validBytes);
  WString text;
  for (uint32_t i = 0; i < units; ++i) {
    const char16_t unit = UnitAt(buffer, i);
    if (unit == u'\0') break;
    text.push_back(unit);
  }
  return text;
}

uint32_t DwordOf(const PropertyBuffer& buffer) {
  uint32_t value;
  std::memcpy(&value, buffer.bytes, sizeof value);
  return value;
}

// One property read; true when it succeeded with the expected registry type.
// *validBytes is how much of the buffer the call filled.
bool ReadProperty(ports::HDevInfo set, const ports::SpDevInfoData& element, uint32_t property,
                  uint32_t expectedType, PropertyBuffer& buffer, uint32_t* validBytes) {
  uint32_t type = 0;
  uint32_t required = 0;
  if (!Os().setup->GetDeviceRegistryProperty(set, &element, property, &type, buffer.bytes, kPropertyBufferBytes,
                                             &required))
    return false;
  *validBytes = required;
  return type == expectedType;
}

void ReadText(ports::HDevInfo set, const ports::SpDevInfoData& element, uint32_t property, PropertyBuffer& buffer,
              WString& field) {
  uint32_t validBytes = 0;
  if (ReadProperty(set, element, property, winapi::kRegSz, buffer, &validBytes)) field = TextOf(buffer, validBytes);
}

void ReadList(ports::HDevInfo set, const ports::SpDevInfoData& element, uint32_t property, PropertyBuffer& buffer,
              WString& field) {
  uint32_t validBytes = 0;
  if (ReadProperty(set, element, property, winapi::kRegMultiSz, buffer, &validBytes))
    field = JoinMultiString(buffer, validBytes);
}

void ReadDword(ports::HDevInfo set, const ports::SpDevInfoData& element, uint32_t property, PropertyBuffer& buffer,
               uint32_t& field) {
  uint32_t validBytes = 0;
  if (ReadProperty(set, element, property, winapi::kRegDword, buffer, &validBytes) && validBytes >= sizeof(uint32_t))
    field = DwordOf(buffer);
}

}  // namespace

WString JoinMultiString(const PropertyBuffer& buffer, uint32_t validBytes) {
  const uint32_t units = ValidUnits(validBytes);
  WString joined;
  for (uint32_t i = 0; i < kMaxJoinedUnits; ++i) {
    const char16_t unit = ValidUnitAt(buffer, i, units);
    if (unit != u'\0') {
      joined.push_back(unit);
      continue;
    }
    if (ValidUnitAt(buffer, i + 1, units) == u'\0') break;
    joined.push_back(u'|');
  }
  return joined;
}

WString ReadClassDescription(const winapi::Guid& classGuid) {
  ports::ISetupApi& setup = *Os().setup;
  uint32_t required = 0;
  // Windows fails the probe for want of a buffer; Wine's succeeds, giving the size
  // too: see docs/behaviour.md.
  const bool probed = setup.GetClassDescription(classGuid, nullptr, 0, &required);
  if ((!probed && Os().system->GetLastError() != winapi::kErrorInsufficientBuffer) || required == 0) return {};
  auto description = std::make_unique<char16_t[]>(required);
  if (!setup.GetClassDescription(classGuid, description.get(), required, nullptr)) return {};
  return text::UpToNul(description.get(), required);
}

void ReadDeviceProperties(ports::HDevInfo set, const ports::SpDevInfoData& element, PropertyBuffer& buffer,
                          TDevice& device) {
  uint32_t validBytes = 0;
  if (ReadProperty(set, element, ports::kSpdrpClass, winapi::kRegSz, buffer, &validBytes)) {
    device.ClassName = TextOf(buffer, validBytes);
    device.ClassDescription = ReadClassDescription(device.ClassGuid);
  }
  ReadText(set, element, ports::kSpdrpDeviceDesc, buffer, device.Description);
  ReadList(set, element, ports::kSpdrpHardwareId, buffer, device.HWID);
  ReadList(set, element, ports::kSpdrpCompatibleIds, buffer, device.CompatibleID);
  ReadText(set, element, ports::kSpdrpDriver, buffer, device.DriverKey);
  ReadText(set, element, ports::kSpdrpMfg, buffer, device.Manuf);
  ReadText(set, element, ports::kSpdrpFriendlyName, buffer, device.FriendlyName);
  ReadText(set, element, ports::kSpdrpService, buffer, device.Service);
  ReadDword(set, element, ports::kSpdrpCapabilities, buffer, device.Capabilities);
  ReadDword(set, element, ports::kSpdrpConfigFlags, buffer, device.ConfigFlags);
}

}  // namespace devices
