// ScanDevices: every present device with its installed driver, as TDevice records.
#include <algorithm>
#include <exception>

#include "devices/ScanSteps.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/PortHandles.h"
#include "platform/MessageDialogs.h"
#include "platform/System.h"
#include "platform/SystemMessage.h"

namespace devices {
namespace {

void ShowError(const WString& message) { Os().dialogs->ShowMessage(ports::MessageKind::Error, message); }

// Step 4's guard: a failure inside the call is reported and the scan goes on.
WString ReadInstanceIdReported(ports::HDevInfo set, const ports::SpDevInfoData& element) {
  try {
    return ReadInstanceId(set, element);
  } catch (const std::exception& e) {
    ShowError(ExceptionMessage(e));
    return {};
  }
}

// Steps 4 to 8 for one element; false when the filter drops the record.
bool BuildDevice(ports::HDevInfo set, const ports::SpDevInfoData& element, PropertyBuffer& buffer,
                 ports::IImageList& images, const TDeviceFilter& filter, WrongTypedValues wrongTyped,
                 TDevice& device) {
  device.ClassGuid = element.ClassGuid;
  device.DeviceInstance = element.DevInst;
  device.InstanceId = ReadInstanceIdReported(set, element);
  device.ClassIconIndex = AddDeviceIcon(set, element, images);
  ReadDeviceProperties(set, element, buffer, device);
  FillMissingNames(device);
  ReadDriverKey(device, wrongTyped);
  if (device.FriendlyName.empty()) device.FriendlyName = device.Description;
  ReadOriginalNames(device);
  ReadDriverStore(device);
  device.FoundInDriverPack.clear();
  return !filter || filter(device);
}

// The system's text for the last error; when the last error says nothing went
// wrong, the exception's own message, so that a failure never reads as success.
WString EnumerationFailureText(const std::exception& e) {
  if (Os().system->GetLastError() == winapi::kErrorSuccess) return ExceptionMessage(e);
  return LastErrorMessage();
}

}  // namespace
}  // namespace devices

TDeviceList ScanDevices(const TDeviceFilter& filter, TDeviceCompare Compare, ports::IImageList& images,
                        const TScanCallback& callback, WrongTypedValues wrongTyped) {
  using namespace devices;
  TDeviceList result;
  UniqueDeviceInfoSet set(Os().setup->GetClassDevs(nullptr, nullptr, 0, ports::kDigcfPresent | ports::kDigcfAllClasses));
  if (!set) {
    ShowError(LastErrorMessage());
    return result;
  }
  PropertyBuffer buffer;
  try {
    ports::SpDevInfoData element;
    element.cbSize = sizeof element;
    for (uint32_t index = 0; Os().setup->EnumDeviceInfo(set.Get(), index, &element); ++index) {
      TDevice device;
      if (!BuildDevice(set.Get(), element, buffer, images, filter, wrongTyped, device)) continue;
      if (callback) callback(device.Description);
      result.push_back(std::move(device));
    }
  } catch (const std::exception& e) {
    const WString message = EnumerationFailureText(e);
    set.Close();
    ShowError(message);
    return result;
  }
  const TDeviceCompare order = Compare ? Compare : CompareDeviceDescriptions;
  std::sort(result.begin(), result.end(), [order](const TDevice& a, const TDevice& b) { return order(a, b) < 0; });
  return result;
}
