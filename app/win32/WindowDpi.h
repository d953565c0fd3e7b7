// A window's DPI and the system calls that depend on it. The per-monitor calls
// exist from Windows 10 1607 on and are bound at run time; older systems get
// the system DPI, which is then the DPI of every monitor.
#pragma once
#include <windows.h>

namespace gui {

// GetDpiForWindow (Windows 10 1607 on), else GetDpiForMonitor of the window's
// monitor (Windows 8.1 on), else the window DC's LOGPIXELSX (the system DPI).
int WindowDpi(HWND window);

// The window rectangle (at 0, 0) around a client area of width x height at `dpi`:
// AdjustWindowRectExForDpi, or AdjustWindowRectEx where that call is missing.
RECT WindowRectForClient(int width, int height, DWORD style, bool menu, DWORD exStyle, int dpi);

// Makes every window the calling process creates from now on per-monitor DPI aware
// (v2), as Quillon.exe's manifest does; false where the system cannot.
bool BecomePerMonitorDpiAware();

}  // namespace gui
