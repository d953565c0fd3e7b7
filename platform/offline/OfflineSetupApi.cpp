// The device-set half of the offline setup services: enumeration, instance ids,
// device properties, class descriptions and icons.
#include "platform/offline/OfflineSetupApi.h"

#include <cstring>

#include "platform/Errors.h"
#include "platform/offline/Adapters.h"
#include "platform/offline/DevicePresence.h"
#include "platform/offline/DllStrings.h"
#include "platform/offline/IndirectString.h"

namespace offline {
namespace {

constexpr char16_t kEnumPath[] = u"SYSTEM\\CurrentControlSet\\Enum";
constexpr char16_t kClassPath[] = u"SYSTEM\\CurrentControlSet\\Control\\Class";

std::vector<uint8_t> BytesOf(const WString& s) {
  std::vector<uint8_t> bytes((s.size() + 1) * sizeof(char16_t), 0);
  std::memcpy(bytes.data(), s.data(), s.size() * sizeof(char16_t));
  return bytes;
}

// The registry value behind each property the adapter knows.
const char16_t* PropertyValueName(uint32_t property) {
  switch (property) {
    case ports::kSpdrpDeviceDesc: return u"DeviceDesc";
    case ports::kSpdrpHardwareId: return u"HardwareID";
    case ports::kSpdrpCompatibleIds: return u"CompatibleIDs";
    case ports::kSpdrpService: return u"Service";
    case ports::kSpdrpClass: return u"Class";
    case ports::kSpdrpClassGuid: return u"ClassGUID";
    case ports::kSpdrpDriver: return u"Driver";
    case ports::kSpdrpConfigFlags: return u"ConfigFlags";
    case ports::kSpdrpMfg: return u"Mfg";
    case ports::kSpdrpFriendlyName: return u"FriendlyName";
    case ports::kSpdrpCapabilities: return u"Capabilities";
    default: return nullptr;
  }
}

// Texts the setup services resolve before handing them out (see IndirectString.h).
bool IsLocalisable(uint32_t property) {
  return property == ports::kSpdrpDeviceDesc || property == ports::kSpdrpMfg || property == ports::kSpdrpFriendlyName;
}

}  // namespace

uint32_t OfflineSetupApi::Fault(std::string_view api, WStringView detail) const {
  const uint32_t code = machine_.Fault(api, text::ToUtf8(detail));
  if (code == kRaiseException)
    throw QuillonError("Access violation in " + std::string(api) + " (" + text::ToUtf8(detail) + ")");
  return code;
}

bool OfflineSetupApi::IsAbsent(const WString& instanceId) const {
  for (const auto& [key, value] : machine_.Config().Section("absent"))
    if (text::EqualsIgnoreCase(text::FromUtf8(key), instanceId)) return true;
  return false;
}

OfflineSetupApi::DeviceSet OfflineSetupApi::PresentDevices(const winapi::Guid* classGuid, const char16_t* enumerator,
                                                   uint32_t flags) const {
  DeviceSet devices;
  const RegKey* enumKey = FindKey(machine_.LocalMachine(), kEnumPath);
  if (!enumKey) return devices;
  uint32_t devInst = 0;
  for (const auto& bus : enumKey->Children()) {
    for (const auto& model : bus->Children()) {
      for (const auto& instance : model->Children()) {
        ++devInst;  // devnode numbers stay the same whichever devices a set holds
        Device device{bus->Name() + u"\\" + model->Name() + u"\\" + instance->Name(), instance.get(), devInst, {}};
        if (const RegValue* guid = instance->FindValue(u"ClassGUID"); guid && guid->type == winapi::kRegSz)
          text::StringToGuid(RegString(*guid), device.classGuid);
        if ((flags & ports::kDigcfPresent) && (IsAbsent(device.instanceId) || WasRemoved(*instance))) continue;
        if (enumerator && *enumerator && !text::EqualsIgnoreCase(bus->Name(), enumerator)) continue;
        if (!(flags & ports::kDigcfAllClasses) && classGuid && !(device.classGuid == *classGuid)) continue;
        devices.push_back(std::move(device));
      }
    }
  }
  return devices;
}

ports::HDevInfo OfflineSetupApi::GetClassDevs(const winapi::Guid* classGuid, const char16_t* enumerator,
                                          winapi::Handle, uint32_t flags) {
  if (uint32_t fault = Fault("SetupDiGetClassDevsW")) return Fail(fault, winapi::kInvalidHandle);
  if (!classGuid && !(flags & ports::kDigcfAllClasses))
    return Fail(winapi::kErrorInvalidParameter, winapi::kInvalidHandle);
  const ports::HDevInfo handle = nextSet_;
  nextSet_ += 4;
  sets_.emplace(handle, PresentDevices(classGuid, enumerator, flags));
  SetLastError(winapi::kErrorSuccess);
  return handle;
}

bool OfflineSetupApi::EnumDeviceInfo(ports::HDevInfo set, uint32_t index, ports::SpDevInfoData* data) {
  auto it = sets_.find(set);
  if (it == sets_.end()) return Fail(winapi::kErrorInvalidHandle, false);
  if (!data) return Fail(winapi::kErrorInvalidParameter, false);
  if (data->cbSize != sizeof(ports::SpDevInfoData)) return Fail(ports::kErrorInvalidUserBuffer, false);
  if (index >= it->second.size()) return Fail(winapi::kErrorNoMoreItems, false);
  const Device& device = it->second[index];
  data->ClassGuid = device.classGuid;
  data->DevInst = device.devInst;
  data->Reserved = index;
  return Succeed();
}

const OfflineSetupApi::Device* OfflineSetupApi::Find(ports::HDevInfo set, const ports::SpDevInfoData* data) const {
  auto it = sets_.find(set);
  if (it == sets_.end()) return Fail(winapi::kErrorInvalidHandle, nullptr);
  if (!data) return Fail(winapi::kErrorInvalidParameter, nullptr);
  if (data->cbSize != sizeof(ports::SpDevInfoData)) return Fail(ports::kErrorInvalidUserBuffer, nullptr);
  for (const Device& device : it->second)
    if (device.devInst == data->DevInst) return &device;
  return Fail(ports::kErrorNoSuchDevinst, nullptr);
}

bool OfflineSetupApi::GetDeviceInstanceId(ports::HDevInfo set, const ports::SpDevInfoData* data, char16_t* buffer,
                                      uint32_t size, uint32_t* requiredSize) {
  const Device* device = Find(set, data);
  if (!device) return false;
  if (uint32_t fault = Fault("SetupDiGetDeviceInstanceIdW", device->instanceId)) return Fail(fault, false);
  const uint32_t needed = uint32_t(device->instanceId.size() + 1);
  if (requiredSize) *requiredSize = needed;
  if (!buffer || size < needed) return Fail(winapi::kErrorInsufficientBuffer, false);
  std::memcpy(buffer, device->instanceId.c_str(), needed * sizeof(char16_t));
  return Succeed();
}

bool OfflineSetupApi::GetDeviceRegistryProperty(ports::HDevInfo set, const ports::SpDevInfoData* data, uint32_t property,
                                            uint32_t* regType, uint8_t* buffer, uint32_t size,
                                            uint32_t* requiredSize) {
  const Device* device = Find(set, data);
  if (!device) return false;
  if (uint32_t fault = Fault("SetupDiGetDeviceRegistryPropertyW", device->instanceId)) return Fail(fault, false);
  const char16_t* valueName = PropertyValueName(property);
  const RegValue* stored = valueName ? device->key->FindValue(valueName) : nullptr;
  if (!stored && property == ports::kSpdrpClass) {
    // Windows 8 and later keep the class name only in the class key.
    const RegKey* classKey = ClassKey(device->classGuid);
    stored = classKey ? classKey->FindValue(u"Class") : nullptr;
  }
  if (!stored) return Fail(winapi::kErrorInvalidData, false);
  RegValue value = *stored;
  // Plain texts keep their stored bytes; references become the text they stand for.
  if (IsLocalisable(property) && stored->type == winapi::kRegSz) {
    if (const WString text = RegString(*stored); !text.empty() && text.front() == u'@') {
      const std::optional<WString> resolved = Resolve(text);
      if (!resolved) return Fail(winapi::kErrorInvalidData, false);
      value.data = BytesOf(*resolved);
    }
  }
  const uint32_t needed = uint32_t(value.data.size());
  if (regType) *regType = value.type;
  if (requiredSize) *requiredSize = needed;
  if (!buffer || size < needed) return Fail(winapi::kErrorInsufficientBuffer, false);
  if (needed) std::memcpy(buffer, value.data.data(), needed);
  return Succeed();
}

const RegKey* OfflineSetupApi::ClassKey(const winapi::Guid& classGuid) const {
  const RegKey* classes = FindKey(machine_.LocalMachine(), kClassPath);
  return classes ? classes->FindChild(text::GuidToString(classGuid)) : nullptr;
}

bool OfflineSetupApi::GetClassDescription(const winapi::Guid& classGuid, char16_t* buffer, uint32_t size,
                                      uint32_t* requiredSize) {
  if (uint32_t fault = Fault("SetupDiGetClassDescriptionW", text::GuidToString(classGuid))) return Fail(fault, false);
  const std::optional<WString> found = ClassDescription(classGuid);
  if (!found) return Fail(ports::kErrorInvalidClass, false);
  const WString& description = *found;
  const uint32_t needed = uint32_t(description.size() + 1);
  if (requiredSize) *requiredSize = needed;
  if (!buffer || size < needed) return Fail(winapi::kErrorInsufficientBuffer, false);
  std::memcpy(buffer, description.c_str(), needed * sizeof(char16_t));
  return Succeed();
}

bool OfflineSetupApi::LoadDeviceIcon(ports::HDevInfo set, const ports::SpDevInfoData* data, uint32_t cxIcon,
                                 uint32_t cyIcon, uint32_t, ports::HIcon* icon) {
  const Device* device = Find(set, data);
  if (!device) return false;
  if (!icon || cxIcon == 0 || cyIcon == 0) return Fail(winapi::kErrorInvalidParameter, false);
  if (uint32_t fault = Fault("SetupDiLoadDeviceIcon", device->instanceId)) return Fail(fault, false);
  // Each class has its icon; a device of no known class has none.
  if (!ClassKey(device->classGuid)) return Fail(ports::kErrorInvalidClass, false);
  *icon = nextIcon_;
  nextIcon_ += 4;
  icons_.emplace(*icon, device->classGuid);
  return Succeed();
}

bool OfflineSetupApi::DestroyDeviceInfoList(ports::HDevInfo set) {
  if (sets_.erase(set) == 0) return Fail(winapi::kErrorInvalidHandle, false);
  return Succeed();
}

bool OfflineSetupApi::DestroyIcon(ports::HIcon icon) {
  if (icons_.erase(icon) == 0) return Fail(ports::kErrorInvalidCursorHandle, false);
  return Succeed();
}

std::optional<WString> OfflineSetupApi::Resolve(const WString& stored) const {
  if (stored.empty() || stored.front() != u'@') return stored;
  std::lock_guard lock(resolvedMutex_);
  auto [it, added] = resolved_.try_emplace(stored);
  if (added)
    it->second = ResolveIndirectString(stored, [this](WStringView dll, uint32_t id) {
      return LoadDllString(machine_, dll, id);
    });
  return it->second;
}

std::optional<WString> OfflineSetupApi::ClassDescription(const winapi::Guid& classGuid) const {
  const RegKey* key = ClassKey(classGuid);
  if (!key) return std::nullopt;
  auto text = [key](const char16_t* name) -> std::optional<WString> {
    const RegValue* value = key->FindValue(name);
    if (!value || value->type != winapi::kRegSz) return std::nullopt;
    return RegString(*value);
  };
  // The default value first (older Windows, fabricated machines), then ClassDesc,
  // which a real Windows stores as a DLL or INF reference; when that cannot be
  // resolved (its DLL is not on the disk), the class name, as setupapi falls back to.
  for (const char16_t* name : {u"", u"ClassDesc"}) {
    if (std::optional<WString> stored = text(name))
      if (std::optional<WString> description = Resolve(*stored); description && !description->empty())
        return description;
  }
  return text(u"Class");
}

std::unique_ptr<ports::ISetupApi> MakeSetupApi(Machine& m) { return std::make_unique<OfflineSetupApi>(m); }

}  // namespace offline
