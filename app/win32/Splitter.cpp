#include "app/win32/Splitter.h"

#include <windowsx.h>

#include "app/win32/Gdi.h"

namespace gui {

Splitter::Splitter(HWND parent, int id, Direction direction, view::Rgb colour)
    : direction_(direction), colour_(colour) {
  const bool vertical = direction == Direction::Vertical;
  Create(vertical ? L"QuillonSplitterWE" : L"QuillonSplitterNS", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
         nullptr, RECT{0, 0, 0, 0}, parent, reinterpret_cast<HMENU>(INT_PTR(id)),
         ::LoadCursorW(nullptr, vertical ? IDC_SIZEWE : IDC_SIZENS));
}

// The mouse position of a message on the screen: the bar itself moves during a drag.
POINT Splitter::ScreenPoint(LPARAM lParam) const {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ClientToScreen(Handle(), &p);
  return p;
}

LRESULT Splitter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      BufferedPaint paint(Handle());
      FillSolid(paint.Dc(), FromRect(paint.Client()), colour_);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN: {
      const POINT p = ScreenPoint(lParam);
      start_ = Along(p);
      dragging_ = true;
      ::SetCapture(Handle());
      if (onStart_) onStart_();
      return 0;
    }
    case WM_MOUSEMOVE:
      if (dragging_ && onDrag_) onDrag_(Along(ScreenPoint(lParam)) - start_);
      return 0;
    case WM_LBUTTONUP:
      if (::GetCapture() == Handle()) ::ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace gui
