// What the progress and About windows share: a borderless topmost popup of the
// small window layout, its labels, and the background with Panel1's edge and
// the logo.
#pragma once
#include <windows.h>

#include "app/DrawingWindows.h"
#include "app/win32/Gdi.h"
#include "app/win32/Window.h"

namespace gui {

// Places `window` centred over `owner`'s window rectangle (the work area of the
// primary monitor without an owner), kept inside that monitor's work area.
void CentreOver(HWND window, HWND owner);

// The Segoe UI font a label of the layout is drawn in.
UniqueGdiObject MakeLabelFont(const windows_layout::LabelBox& label);

// The logo as a premultiplied 32-bit bitmap.
class LogoBitmap {
 public:
  LogoBitmap();
  // Blends the logo into `box`, scaled proportionally.
  void Draw(HDC dc, const view::Rect& box) const;

 private:
  UniqueGdiObject bitmap_;
};

class SmallWindow : public Window {
 protected:
  // Creates the window hidden, of the layout's client size, owned by `owner`
  // (may be null) and centred over it. Throws when the system refuses.
  void CreateSmall(const wchar_t* className, DWORD extraStyle, HWND owner);
  // A static control showing centred text in the label's box.
  HWND CreateLabel(int id, const windows_layout::LabelBox& label, HFONT font);
  // The messages both windows answer alike (painting, the labels' colours);
  // false when `message` is not one of them.
  bool HandleCommon(UINT message, WPARAM wParam, LRESULT& result);

 private:
  void Paint();

  const view::Rect logoBox_ = windows_layout::SmallWindowLayout{}.logo;  // the same in both windows
  LogoBitmap logo_;
};

}  // namespace gui
