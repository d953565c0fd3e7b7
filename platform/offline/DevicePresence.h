// Which devices a Windows installation that is not running had present.
//
// The Enum key keeps every device the PC has ever seen. A running Windows knows
// which are present from its live device tree, which the hive does not hold; what
// it does hold are the dates the PnP manager writes under
// Enum\<id>\Properties\{83da6326-97a6-4088-9453-a1923f573b29}: 0066 the last
// arrival, 0067 the last removal. Rule: a device whose last removal is later than
// its last arrival was unplugged (or uninstalled) and is not present; every other
// device counts as present, also one without dates (root-enumerated devices and
// older Windows versions write none). A device taken away while the PC was off
// keeps an arrival without a removal and stays listed: a backup with one driver
// too many is harmless, a missing driver is not.
#pragma once
#include "platform/offline/Machine.h"

namespace offline {

bool WasRemoved(const RegKey& instance);

}  // namespace offline
