// The one place where a system error code becomes the system's words (the
// message table through the system port). Callers pick the form by name: the
// text as the table gives it, trimmed at both ends, or without its full stop.
#pragma once
#include <cstdint>

#include "platform/Text.h"

// The message table's text for `code`, trailing CR LF included; "" when the
// system has none (or no system port is installed).
WString SystemMessage(uint32_t code);
// The same without blanks and line breaks at either end.
WString SystemMessageTrimmed(uint32_t code);
// The same without trailing blanks, line breaks and dots: for a text that goes on.
WString SystemMessageWithoutStop(uint32_t code);

// The forms above for the calling thread's last error code.
WString LastErrorMessage();
WString LastErrorMessageTrimmed();

// Raises OSError "System Error.  Code: %d.\r\n%s%s" with the code, its text
// without its full stop and `addedText`; "A call to an OS function failed" for code 0.
[[noreturn]] void RaiseOSError(uint32_t code, const WString& addedText);
