#include "devices/Devices.h"

int32_t CompareDeviceDescriptions(const TDevice& Item1, const TDevice& Item2) {
  return text::CompareOrdinal(Item1.Description, Item2.Description);
}
