// Step 6's fallbacks: every device gets a name and every class a text to show.
#include "devices/ScanSteps.h"

namespace devices {

WString InstanceIdDevicePart(const WString& instanceId) {
  const size_t first = instanceId.find(u'\\');
  if (first == WString::npos) return instanceId;
  const size_t second = instanceId.find(u'\\', first + 1);
  return instanceId.substr(first + 1, second == WString::npos ? WString::npos : second - first - 1);
}

void FillMissingNames(TDevice& device) {
  // A description the system could not give (on a disk an indirect string into a
  // driver file it no longer has, the text after ';' already tried) is named as
  // Windows' own tools name it: by its service, else by its instance id. See
  // docs/behaviour.md.
  if (device.Description.empty()) device.Description = device.Service;
  if (device.Description.empty()) device.Description = InstanceIdDevicePart(device.InstanceId);
  if (device.ClassDescription.empty()) device.ClassDescription = device.ClassName;
}

}  // namespace devices
