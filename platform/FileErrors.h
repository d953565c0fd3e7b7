// A failed file operation in the system's words: "There is not enough space on
// the disk." rather than the C library's "No space left on device", on Linux as
// on Windows, so that every message about a file reads the same everywhere.
#pragma once
#include <system_error>

#include "platform/Text.h"

// The system message for `ec` (a C runtime errno as a generic error, or the
// operating system's own code), without blanks at either end. A code the
// message table has no text for keeps the C library's text.
WString FileErrorText(const std::error_code& ec);
// The same for an errno value of the C runtime.
WString FileErrorText(int errnoValue);
