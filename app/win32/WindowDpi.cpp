#include "app/win32/WindowDpi.h"

#include "app/win32/Gdi.h"
#include "platform/win32/Handles.h"

namespace gui {

namespace {

template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

// Windows 8.1 and Windows 10 before 1607: the DPI of the window's monitor from
// shcore.dll (loaded once, kept for the process), or 0 where that is missing.
int MonitorDpi(HWND window) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const win32::UniqueModule shcore(::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  static const auto getDpi = shcore ? reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(
                                          ::GetProcAddress(shcore.Get(), "GetDpiForMonitor")))
                                    : nullptr;
  UINT x = 0, y = 0;
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  if (!getDpi || FAILED(getDpi(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)))
    return 0;
  return int(x);
}

}  // namespace

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpi) {
    if (const UINT dpi = getDpi(window)) return int(dpi);
  }
  if (const int dpi = MonitorDpi(window)) return dpi;
  // Windows 8: one DPI for every monitor.
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
