// The Platform of Quillon.exe: every port forwarded to the Windows DLLs.
#pragma once
#include "platform/Platform.h"

namespace win32 {
// Built on first use and kept for the life of the process. The message-dialog
// port shows real message boxes owned by the active window.
Platform& Win32Platform();
}  // namespace win32
