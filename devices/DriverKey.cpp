// Step 7 of the scan: the values of the device's driver key.
#include <vector>

#include "devices/ScanSteps.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

namespace devices {
namespace {

constexpr char16_t kClassKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Class\\";

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_) Os().registry->CloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool OpenReadOnly(const WString& path) {
    return Os().registry->OpenKey(ports::kHKeyLocalMachine, path.c_str(), ports::kKeyRead, &key_) ==
           int32_t(winapi::kErrorSuccess);
  }

  // False when the value does not exist; otherwise its type and size in bytes.
  bool Describe(const char16_t* name, uint32_t* type, uint32_t* size) const {
    return Os().registry->QueryValue(key_, name, type, nullptr, size) == int32_t(winapi::kErrorSuccess);
  }

  void Read(const char16_t* name, uint8_t* data, uint32_t size) const {
    const int32_t result = Os().registry->QueryValue(key_, name, nullptr, data, &size);
    if (result != int32_t(winapi::kErrorSuccess))
      throw QuillonError(u"Failed to get data for '" + WString(name) + u"'");
  }

  // The text of a string value; empty when it does not exist.
  WString ReadString(const char16_t* name) const {
    uint32_t type = 0, size = 0;
    if (!Describe(name, &type, &size)) return {};
    if (type != winapi::kRegSz && type != winapi::kRegExpandSz)
      throw QuillonError(u"Invalid data type for '" + WString(name) + u"'");
    std::vector<char16_t> units(size / sizeof(char16_t) + 1, u'\0');
    Read(name, reinterpret_cast<uint8_t*>(units.data()), size);
    return text::UpToNul(units.data(), units.size());
  }

  // A binary value of at most `capacity` bytes into `out`; untouched when missing.
  void ReadBinary(const char16_t* name, void* out, uint32_t capacity) const {
    uint32_t type = 0, size = 0;
    if (!Describe(name, &type, &size)) return;
    if (type != winapi::kRegBinary && type != winapi::kRegNone)
      throw QuillonError(u"Invalid data type for '" + WString(name) + u"'");
    if (size > capacity) throw QuillonError(u"Invalid data size for '" + WString(name) + u"'");
    Read(name, static_cast<uint8_t*>(out), size);
  }

 private:
  ports::HKey key_ = 0;
};

}  // namespace

void ReadDriverKey(TDevice& device) {
  // Without a driver there is no driver key (the bare Class key is no driver's).
  if (device.DriverKey.empty()) return;
  RegistryKey key;
  if (!key.OpenReadOnly(kClassKey + device.DriverKey)) return;
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
