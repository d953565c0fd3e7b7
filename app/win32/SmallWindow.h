// What the progress and About windows share: a borderless popup of the small
// window layout, its labels, and the background with Panel1's edge and the logo.
#pragma once
#include <windows.h>

#include "app/DrawingWindows.h"
#include "app/win32/Gdi.h"
#include "platform/win32/Handles.h"

namespace gui {

struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static bool IsValid(HWND h) { return h != nullptr; }
  static void Close(HWND h) { ::DestroyWindow(h); }
};
using UniqueWindow = win32::UniqueHandle<HWND, WindowTraits>;

// The window procedure of a class whose windows carry their C++ object: the
// object passed to CreateSmallWindow receives every message from WM_NCCREATE on
// through its HandleMessage(HWND, UINT, WPARAM, LPARAM).
template <class Window>
LRESULT CALLBACK ForwardingWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return self->HandleMessage(hwnd, message, wParam, lParam);
}

// Registers the class on first use (a class lives as long as the process).
void RegisterSmallWindowClass(const wchar_t* className, WNDPROC procedure);

// A hidden, borderless, topmost popup of the layout's client size, owned by
// `owner` (may be null) and centred over it, or over the screen without one.
// `self` reaches the window procedure as the creation parameter. Raises the
// system's error when the window cannot be made.
UniqueWindow CreateSmallWindow(const wchar_t* className, DWORD extraStyle, HWND owner, void* self);

// Places `window` centred over `owner`'s window rectangle (the work area of the
// primary monitor without an owner), kept inside that monitor's work area.
void CentreOver(HWND window, HWND owner);

// The Segoe UI font a label of the layout is drawn in.
UniqueGdiObject MakeLabelFont(const windows_layout::LabelBox& label);
// A static control showing centred text in the label's box.
HWND CreateLabel(HWND parent, int id, const windows_layout::LabelBox& label, HFONT font);

// The logo as a premultiplied 32-bit bitmap, made once per window.
class LogoBitmap {
 public:
  LogoBitmap();
  // Blends the logo into `box`, scaled proportionally.
  void Draw(HDC dc, const view::Rect& box) const;

 private:
  UniqueGdiObject bitmap_;
};

// Button face, Panel1's soft raised edge around the client area, the logo.
void PaintSmallWindowBackground(HDC dc, const RECT& client, const LogoBitmap& logo, const view::Rect& logoBox);

// The labels sit on the panel: no background of their own.
LRESULT LabelColours(HDC labelDc);

}  // namespace gui
