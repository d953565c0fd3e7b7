#include "backup/DeviceIdLists.h"

#include <algorithm>
#include <map>
#include <vector>

#include "devices/ScanSteps.h"
#include "platform/Platform.h"
#include "platform/PortHandles.h"
#include "platform/Errors.h"
#include "platform/SetupApi.h"
#include "platform/System.h"
#include "platform/SystemMessage.h"

namespace backup {
namespace {

// The strings of a REG_MULTI_SZ property, "|"-joined; empty when the device has none.
WString ReadIdList(ports::HDevInfo set, const ports::SpDevInfoData& element, uint32_t property) {
  ports::ISetupApi& setup = *Os().setup;
  uint32_t type = 0, required = 0;
  if (!setup.GetDeviceRegistryProperty(set, &element, property, &type, nullptr, 0, &required) &&
      Os().system->GetLastError() != winapi::kErrorInsufficientBuffer)
    return {};
  if (type != winapi::kRegMultiSz || required == 0) return {};
  std::vector<uint8_t> bytes(std::min(required, kMaxIdListBytes) & ~1u);
  if (!setup.GetDeviceRegistryProperty(set, &element, property, nullptr, bytes.data(), uint32_t(bytes.size()),
                                       nullptr) &&
      Os().system->GetLastError() != winapi::kErrorInsufficientBuffer)
    return {};
  WString joined;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t unit = char16_t(bytes[i] | bytes[i + 1] << 8);
    if (unit != u'\0') {
      joined.push_back(unit);
    } else if (i + 3 >= bytes.size() || (bytes[i + 2] | bytes[i + 3]) == 0) {
      break;  // the list's closing NUL
    } else {
      joined.push_back(u'|');
    }
  }
  return joined;
}

}  // namespace

void ReadWholeIdLists(TDeviceList& devices) {
  std::map<WString, std::pair<WString, WString>> lists;  // by instance id in upper case
  UniqueDeviceInfoSet set(
      Os().setup->GetClassDevs(nullptr, nullptr, 0, ports::kDigcfPresent | ports::kDigcfAllClasses));
  if (!set) throw QuillonError(u"The devices cannot be listed: " + LastErrorMessage());
  ports::SpDevInfoData element;
  element.cbSize = sizeof element;
  for (uint32_t index = 0; Os().setup->EnumDeviceInfo(set.Get(), index, &element); ++index) {
    const WString instanceId = devices::ReadInstanceId(set.Get(), element);
    if (instanceId.empty()) continue;
    lists[text::UpperAscii(instanceId)] = {ReadIdList(set.Get(), element, ports::kSpdrpHardwareId),
                                           ReadIdList(set.Get(), element, ports::kSpdrpCompatibleIds)};
  }
  for (TDevice& device : devices) {
    const auto found = lists.find(text::UpperAscii(device.InstanceId));
    if (found == lists.end()) continue;  // gone since the scan: its record stays as it was
    device.HWID = found->second.first;
    device.CompatibleID = found->second.second;
  }
}

}  // namespace backup
