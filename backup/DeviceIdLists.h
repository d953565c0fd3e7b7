// Every present device's whole hardware-id and compatible-id lists. The scan's
// record keeps what its one 1024-byte property buffer holds (a longer list is
// left empty there); choosing a driver needs the lists as Windows matches them.
#pragma once
#include <cstdint>

#include "devices/Devices.h"

namespace backup {

// Sets each device's HWID and CompatibleID ("|"-joined, as the scan keeps them)
// to its whole lists, read again through the setup port; a list longer than
// kMaxIdListBytes is cut there. Raises QuillonError when the devices cannot be listed.
void ReadWholeIdLists(TDeviceList& devices);

constexpr uint32_t kMaxIdListBytes = 64 * 1024;

}  // namespace backup
