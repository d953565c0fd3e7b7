// Steps 4 and 5 of the scan: the instance id and the device icon.
#include "devices/ScanSteps.h"
#include "platform/ImageList.h"
#include "platform/PortHandles.h"

namespace devices {

WString ReadInstanceId(ports::HDevInfo set, const ports::SpDevInfoData& element) {
  char16_t buffer[kInstanceIdChars] = {};
  if (!Os().setup->GetDeviceInstanceId(set, &element, buffer, kInstanceIdChars, nullptr)) return {};
  return text::UpToNul(buffer, kInstanceIdChars);
}

int32_t AddDeviceIcon(ports::HDevInfo set, const ports::SpDevInfoData& element, ports::IImageList& images) {
  constexpr uint32_t kIconPixels = 11;
  ports::HIcon loaded = 0;
  if (!Os().setup->LoadDeviceIcon(set, &element, kIconPixels, kIconPixels, 0, &loaded) || loaded == 0) return 0;
  // The image list keeps its own copy (with its transparency); ours goes at once.
  const UniqueDeviceIcon icon(loaded);
  return images.AddIcon(icon.Get());
}

}  // namespace devices
