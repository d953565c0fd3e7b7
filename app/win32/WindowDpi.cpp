#include "app/win32/WindowDpi.h"

#include "app/win32/Gdi.h"

namespace gui {

namespace {

template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpi) {
    if (const UINT dpi = getDpi(window)) return int(dpi);
  }
  WindowDc dc(window);
  const int dpi = dc.Get() ? ::GetDeviceCaps(dc.Get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : 96;
}

RECT WindowRectForClient(int width, int height, DWORD style, bool menu, DWORD exStyle, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT r{0, 0, width, height};
  if (!adjustForDpi || !adjustForDpi(&r, style, menu, exStyle, UINT(dpi))) ::AdjustWindowRectEx(&r, style, menu, exStyle);
  return {0, 0, r.right - r.left, r.bottom - r.top};
}

bool BecomePerMonitorDpiAware() {
  using SetAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
  static const auto setContext = User32Function<SetAwarenessContextFn>("SetProcessDpiAwarenessContext");
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is the handle value -4.
  return setContext && setContext(reinterpret_cast<HANDLE>(intptr_t(-4)));
}

}  // namespace gui
