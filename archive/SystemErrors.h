// Errors described with the system's message text for a code.
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace archive {

// The message table's text for `code`, without trailing blanks, line breaks and
// dots; "" when the system has none (or no system port is installed).
WString SysErrorMessage(uint32_t code);

// "System Error.  Code: %d.\r\n%s%s" with the code, its text and `addedText`;
// "A call to an OS function failed" for code 0. Raises OSError.
[[noreturn]] void RaiseOSError(uint32_t code, const WString& addedText);

}  // namespace archive
