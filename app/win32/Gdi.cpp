#include "app/win32/Gdi.h"

#include "app/Dpi.h"

namespace gui {

BufferedPaint::BufferedPaint(HWND window) : window_(window) {
  HDC screen = ::BeginPaint(window, &ps_);
  ::GetClientRect(window, &client_);
  memory_.Attach(::CreateCompatibleDC(screen));
  bitmap_.Attach(::CreateCompatibleBitmap(screen, client_.right > 0 ? client_.right : 1,
                                          client_.bottom > 0 ? client_.bottom : 1));
  previousBitmap_ = ::SelectObject(memory_.Get(), bitmap_.Get());
}

BufferedPaint::~BufferedPaint() {
  // Copied and unselected before the memory DC and its bitmap go.
  ::BitBlt(ps_.hdc, 0, 0, client_.right, client_.bottom, memory_.Get(), 0, 0, SRCCOPY);
  ::SelectObject(memory_.Get(), previousBitmap_);
  ::EndPaint(window_, &ps_);
}

void FillSolid(HDC dc, const view::Rect& r, view::Rgb colour) {
  const RECT rect = ToRect(r);
  ::SetBkColor(dc, ToColorRef(colour));
  ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void FillHorizontalGradient(HDC dc, const view::Rect& r, view::Rgb from, view::Rgb to) {
  TRIVERTEX vertices[2] = {
      {r.left, r.top, COLOR16(from.r << 8), COLOR16(from.g << 8), COLOR16(from.b << 8), 0},
      {r.right, r.bottom, COLOR16(to.r << 8), COLOR16(to.g << 8), COLOR16(to.b << 8), 0},
  };
  GRADIENT_RECT rect{0, 1};
  ::GdiGradientFill(dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_H);
}

UniqueGdiObject MakeFontOfPixelHeight(const wchar_t* face, int pixels, bool bold) {
  LOGFONTW lf{};
  lf.lfHeight = -pixels;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  return UniqueGdiObject(::CreateFontIndirectW(&lf));
}

UniqueGdiObject MakeFont(const wchar_t* face, int points, int dpi, bool bold) {
  return MakeFontOfPixelHeight(face, dpi::PointsToPixels(points, dpi), bold);
}

}  // namespace gui
