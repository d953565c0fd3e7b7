// Step 7 of the scan: the values of the device's driver key.
#include "devices/ScanSteps.h"
#include "platform/RegistryKey.h"

namespace devices {
namespace {

constexpr char16_t kClassKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Class\\";

WString TypeName(uint32_t type) {
  static constexpr const char16_t* kNames[] = {u"REG_NONE",     u"REG_SZ",       u"REG_EXPAND_SZ",
                                               u"REG_BINARY",   u"REG_DWORD",    u"REG_DWORD_BIG_ENDIAN",
                                               u"REG_LINK",     u"REG_MULTI_SZ", u"REG_RESOURCE_LIST",
                                               u"REG_FULL_RESOURCE_DESCRIPTOR", u"REG_RESOURCE_REQUIREMENTS_LIST",
                                               u"REG_QWORD"};
  if (type < std::size(kNames)) return kNames[type];
  return u"of type " + text::FromUtf8(std::to_string(type));
}

// A value that is not what the record needs: the device keeps the first such
// reason and the field stays empty.
void Spoil(TDevice& device, const WString& reason) {
  if (device.ReadProblem.empty()) device.ReadProblem = reason;
}

// The record's reading of the key: the window's, whose first value of another
// type ends the scan (docs/behaviour.md), or one that spoils only the device.
class DriverKeyReader {
 public:
  DriverKeyReader(const TRegistryKey& key, TDevice& device, WrongTypedValues wrongTyped)
      : key_(key), device_(device), wrongTyped_(wrongTyped) {}

  WString String(const char16_t* name) const {
    uint32_t type = 0, size = 0;
    if (wrongTyped_ == WrongTypedValues::SpoilTheDevice && key_.Describe(name, &type, &size) &&
        type != winapi::kRegSz && type != winapi::kRegExpandSz) {
      Spoil(device_, Where(name) + u" is " + TypeName(type) + u", not a string");
      return {};
    }
    return key_.ReadString(name);
  }

  void Binary(const char16_t* name, void* out, uint32_t capacity) const {
    uint32_t type = 0, size = 0;
    if (wrongTyped_ == WrongTypedValues::SpoilTheDevice && key_.Describe(name, &type, &size)) {
      if (type != winapi::kRegBinary && type != winapi::kRegNone)
        return Spoil(device_, Where(name) + u" is " + TypeName(type) + u", not binary data");
      if (size > capacity)
        return Spoil(device_, Where(name) + u" holds " + text::FromUtf8(std::to_string(size)) + u" bytes, not " +
                                  text::FromUtf8(std::to_string(capacity)));
    }
    key_.ReadBinary(name, out, capacity);
  }

 private:
  WString Where(const char16_t* name) const { return WString(name) + u" of " + device_.DriverKey + u" in SYSTEM"; }

  const TRegistryKey& key_;
  TDevice& device_;
  WrongTypedValues wrongTyped_;
};

}  // namespace

void ReadDriverKey(TDevice& device, WrongTypedValues wrongTyped) {
  // Without a driver there is no driver key (the bare Class key is no driver's).
  if (device.DriverKey.empty()) return;
  TRegistryKey key;
  if (key.OpenReadOnly(kClassKey + device.DriverKey) != int32_t(winapi::kErrorSuccess)) return;
  // In the window, a value of another type ends the scan: see docs/behaviour.md.
  const DriverKeyReader read(key, device, wrongTyped);
  device.DriverDate = read.String(u"DriverDate");
  device.DriverDescription = read.String(u"DriverDesc");
  device.DriverVersion = read.String(u"DriverVersion");
  device.InfPath = read.String(u"InfPath");
  device.InfSection = read.String(u"InfSection");
  device.MatchingDeviceId = read.String(u"MatchingDeviceId");
  device.ProviderName = read.String(u"ProviderName");
  static_assert(sizeof(device.DriverDateData) == 8);
  read.Binary(u"DriverDateData", &device.DriverDateData, sizeof(device.DriverDateData));
}

}  // namespace devices
