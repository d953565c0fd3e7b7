// One WinVerifyTrustEx run under the driver-signing policy, state released after.
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace cryptcat {

// Verifies `path` with the given provider flags, without user interface or
// revocation checks. Message := the system text of the result (also on success).
bool RunTrustCheck(const WString& path, uint32_t providerFlags, WString& Message);

}  // namespace cryptcat
