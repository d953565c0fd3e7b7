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

// The Segoe UI font a label of a scaled layout is drawn in.
UniqueGdiObject MakeLabelFont(const windows_layout::LabelBox& scaledLabel);

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
  // Creates the window hidden, of the layout's client size at the owner's DPI,
  // owned by `owner` (may be null) and centred over it. Throws when the system refuses.
  void CreateSmall(const wchar_t* className, DWORD extraStyle, HWND owner);
  // A static control showing centred text; LayOut places it.
  HWND CreateLabel(int id);
  // Puts a label into its box of a scaled layout with its font.
  static void PlaceLabel(HWND label, const windows_layout::LabelBox& scaledLabel, HFONT font);
  // The DPI every length of the window is scaled to.
  int CurrentDpi() const { return dpi_; }
  // Places the controls and makes the fonts at CurrentDpi(); run after creation
  // and whenever the window's DPI changes.
  virtual void LayOut() = 0;
  // The messages both windows answer alike (painting, the labels' colours, a
  // change of DPI); false when `message` is not one of them.
  bool HandleCommon(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void Paint();

  int dpi_ = 96;
  LogoBitmap logo_;
};

}  // namespace gui
