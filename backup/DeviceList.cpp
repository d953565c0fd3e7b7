#include "backup/DeviceList.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/System.h"

namespace backup {

bool IsListedDevice(const TDevice& device, bool includeMicrosoft) {
  if (device.ClassGuid == winapi::Guid{}) return false;
  return device.ProviderName != u"Microsoft" || includeMicrosoft;
}

int32_t CompareFriendlyNames(const TDevice& Item1, const TDevice& Item2) {
  return text::CompareOrdinal(Item1.FriendlyName, Item2.FriendlyName);
}

TDeviceList ScanListedDevices(bool includeMicrosoft, ports::IImageList& images, const TScanCallback& callback,
                              WrongTypedValues wrongTyped) {
  return ScanDevices([includeMicrosoft](const TDevice& d) { return IsListedDevice(d, includeMicrosoft); },
                     &CompareFriendlyNames, images, callback, wrongTyped);
}

TDeviceList ScanAllDevices(WrongTypedValues wrongTyped) {
  TCountedImages images;
  return ScanDevices({}, &CompareFriendlyNames, images, {}, wrongTyped);
}

std::vector<TDeviceClass> TreeOrder(const TDeviceList& list) {
  std::vector<TDeviceClass> classes;
  for (size_t i = 0; i < list.size(); ++i) {
    auto found = std::find_if(classes.begin(), classes.end(),
                              [&](const TDeviceClass& c) { return c.description == list[i].ClassDescription; });
    if (found == classes.end()) found = classes.insert(classes.end(), {list[i].ClassDescription, {}});
    found->devices.push_back(i);
  }
  ports::ISystem& system = *Os().system;
  std::stable_sort(classes.begin(), classes.end(), [&system](const TDeviceClass& a, const TDeviceClass& b) {
    return system.CompareStringLocale(a.description.c_str(), b.description.c_str()) < 0;
  });
  return classes;
}

std::vector<size_t> NumberedDevices(const TDeviceList& list) {
  std::vector<size_t> numbered;
  for (const TDeviceClass& c : TreeOrder(list)) numbered.insert(numbered.end(), c.devices.begin(), c.devices.end());
  return numbered;
}

WString ShownName(const TDevice& device) {
  return device.FriendlyName.empty() ? device.Description : device.FriendlyName;
}

}  // namespace backup
