// Owners of GDI objects and small conversions between the view's values and GDI's.
#pragma once
#include <windows.h>

#include "app/View.h"
#include "app/win32/WindowHandles.h"
#include "platform/win32/Handles.h"

namespace gui {

struct GdiObjectTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static bool IsValid(HGDIOBJ h) { return h != nullptr; }
  static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

inline HFONT AsFont(const UniqueGdiObject& o) { return static_cast<HFONT>(o.Get()); }
inline HBRUSH AsBrush(const UniqueGdiObject& o) { return static_cast<HBRUSH>(o.Get()); }
inline HBITMAP AsBitmap(const UniqueGdiObject& o) { return static_cast<HBITMAP>(o.Get()); }

// Selects an object into a DC for the life of a scope.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectScope() { ::SelectObject(dc_, previous_); }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// BeginPaint/EndPaint with a memory bitmap: everything is drawn off screen and
// copied once, so the control never flickers.
class BufferedPaint {
 public:
  explicit BufferedPaint(HWND window);
  ~BufferedPaint();
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC Dc() const { return memory_.Get(); }
  const RECT& Client() const { return client_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  RECT client_{};
  UniqueMemoryDc memory_;
  UniqueGdiObject bitmap_;
  HGDIOBJ previousBitmap_ = nullptr;
};

inline COLORREF ToColorRef(view::Rgb c) { return RGB(c.r, c.g, c.b); }
inline view::Rgb FromColorRef(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }
inline RECT ToRect(const view::Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline view::Rect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void FillSolid(HDC dc, const view::Rect& r, view::Rgb colour);
// A horizontal gradient across `r`, `from` at its left edge to `to` at its right.
void FillHorizontalGradient(HDC dc, const view::Rect& r, view::Rgb from, view::Rgb to);

// A font of `points` at the window's `dpi`, or of a character height in device pixels.
UniqueGdiObject MakeFont(const wchar_t* face, int points, int dpi, bool bold = false);
UniqueGdiObject MakeFontOfPixelHeight(const wchar_t* face, int pixels, bool bold = false);

}  // namespace gui
