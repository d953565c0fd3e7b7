#include "app/win32/SmallWindow.h"

#include <algorithm>
#include <vector>

#include "app/Dpi.h"
#include "app/DrawingLogo.h"
#include "app/win32/WindowDpi.h"

namespace gui {

void CentreOver(HWND window, HWND owner) {
  RECT own{}, area{};
  MONITORINFO monitor{sizeof monitor};
  if (owner && ::GetWindowRect(owner, &own) &&
      ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    area = monitor.rcWork;
  } else {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    own = area;
  }
  RECT mine{};
  ::GetWindowRect(window, &mine);
  const int width = mine.right - mine.left, height = mine.bottom - mine.top;
  int x = own.left + ((own.right - own.left) - width) / 2;
  int y = own.top + ((own.bottom - own.top) - height) / 2;
  // An owner half off the screen must not take its progress window with it.
  x = std::max<int>(area.left, std::min<int>(x, area.right - width));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - height));
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UniqueGdiObject MakeLabelFont(const windows_layout::LabelBox& scaledLabel) {
  UniqueGdiObject font = MakeFontOfPixelHeight(L"Segoe UI", scaledLabel.fontPixels, scaledLabel.bold);
  if (!font) ThrowLastError("CreateFontIndirect");
  return font;
}

LogoBitmap::LogoBitmap() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = logo::kWidth;
  info.bmiHeader.biHeight = -logo::kHeight;  // top-down, as the pixels come
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Attach(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) ThrowLastError("CreateDIBSection");
  // AlphaBlend wants premultiplied colours.
  const std::vector<uint32_t> pixels = logo::LogoPixels();
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint32_t p = pixels[i], a = p >> 24;
    auto scaled = [&](int shift) { return (((p >> shift) & 0xFF) * a + 127) / 255 << shift; };
    out[i] = a << 24 | scaled(16) | scaled(8) | scaled(0);
  }
}

void LogoBitmap::Draw(HDC dc, const view::Rect& box) const {
  const view::Rect target = windows_layout::FitProportionally(logo::kWidth, logo::kHeight, box);
  HDC source = ::CreateCompatibleDC(dc);
  {
    SelectScope select(source, bitmap_.Get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, target.left, target.top, target.Width(), target.Height(), source, 0, 0, logo::kWidth,
                    logo::kHeight, blend);
  }
  ::DeleteDC(source);
}

void SmallWindow::CreateSmall(const wchar_t* className, DWORD extraStyle, HWND owner) {
  Create(className, WS_POPUP | WS_CLIPCHILDREN | extraStyle, WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT,
         L"", RECT{0, 0, windows_layout::kClientWidth, windows_layout::kClientHeight}, owner, nullptr);
  // It appears over its owner, so the owner's monitor gives the DPI.
  dpi_ = WindowDpi(owner ? owner : Handle());
  ::SetWindowPos(Handle(), nullptr, 0, 0, dpi::Scale(windows_layout::kClientWidth, dpi_),
                 dpi::Scale(windows_layout::kClientHeight, dpi_), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOver(Handle(), owner);
}

HWND SmallWindow::CreateLabel(int id) {
  HWND control = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 0, 0, 0, 0,
                                   Handle(), reinterpret_cast<HMENU>(INT_PTR(id)), ModuleInstance(), nullptr);
  if (!control) ThrowLastError("CreateWindowEx");
  return control;
}

void SmallWindow::PlaceLabel(HWND label, const windows_layout::LabelBox& scaledLabel, HFONT font) {
  const view::Rect& b = scaledLabel.box;
  ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::MoveWindow(label, b.left, b.top, b.Width(), b.Height(), TRUE);
}

// Button face, Panel1's soft raised edge around the client area, the logo.
void SmallWindow::Paint() {
  BufferedPaint paint(Handle());
  ::FillRect(paint.Dc(), &paint.Client(), ::GetSysColorBrush(COLOR_BTNFACE));
  RECT edge = paint.Client();
  ::DrawEdge(paint.Dc(), &edge, BDR_RAISEDINNER, BF_RECT | BF_SOFT);
  logo_.Draw(paint.Dc(), dpi::Scale(windows_layout::SmallWindowLayout{}.logo, dpi_));
}

bool SmallWindow::HandleCommon(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      dpi_ = HIWORD(wParam);
      ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut();
      ::InvalidateRect(Handle(), nullptr, TRUE);
      result = 0;
      return true;
    }
    case WM_PAINT:
      Paint();
      result = 0;
      return true;
    case WM_ERASEBKGND:
      result = 1;  // WM_PAINT covers every pixel
      return true;
    case WM_CTLCOLORSTATIC: {
      // The labels sit on the panel: its colour behind their text.
      HDC label = reinterpret_cast<HDC>(wParam);
      ::SetBkColor(label, ::GetSysColor(COLOR_BTNFACE));
      ::SetTextColor(label, ::GetSysColor(COLOR_WINDOWTEXT));
      result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace gui
