// A control's client area painted into memory (WM_PRINTCLIENT), read back pixel
// by pixel: what the window would show, without a screen.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "app/View.h"

namespace gui_test {

class Capture {
 public:
  explicit Capture(HWND control) {
    RECT client;
    ::GetClientRect(control, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB};
    HDC screen = ::GetDC(nullptr);
    dc_ = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = ::SelectObject(dc_, bitmap_);
    std::memset(bits_, 0x11, size_t(width_) * size_t(height_) * 4);  // a colour nothing paints
    ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND);
    ::GdiFlush();
  }
  ~Capture() {
    ::SelectObject(dc_, previous_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
  }
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  view::Rgb At(int x, int y) const {
    const uint32_t p = bits_[size_t(y) * size_t(width_) + size_t(x)];
    return {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_ = 0, height_ = 0;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace gui_test

// For gtest's messages.
inline std::ostream& operator<<(std::ostream& out, const view::Rgb& c) {
  return out << "RGB(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}
