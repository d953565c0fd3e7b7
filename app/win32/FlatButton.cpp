#include "app/win32/FlatButton.h"

#include <windowsx.h>

#include <vector>

#include "app/DrawingControls.h"
#include "app/win32/Gdi.h"
#include "platform/win32/Handles.h"

namespace gui {

FlatButton::FlatButton(HWND parent, int id, const WString& caption, view::Rgb background, HFONT font)
    : background_(background), font_(font) {
  Create(L"QuillonFlatButton", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, win32::Wide(caption.c_str()),
         RECT{0, 0, 0, 0}, parent, reinterpret_cast<HMENU>(INT_PTR(id)), ::LoadCursorW(nullptr, IDC_HAND));
}

WString FlatButton::Caption() const {
  std::vector<wchar_t> buffer(size_t(::GetWindowTextLengthW(Handle())) + 1);
  const int n = ::GetWindowTextW(Handle(), buffer.data(), int(buffer.size()));
  return WString(reinterpret_cast<const char16_t*>(buffer.data()), size_t(n));
}

void FlatButton::SetCaption(const WString& caption) {
  ::SetWindowTextW(Handle(), win32::Wide(caption.c_str()));
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

bool FlatButton::Enabled() const { return ::IsWindowEnabled(Handle()) != FALSE; }

void FlatButton::SetEnabled(bool enabled) {
  if (Enabled() == enabled) return;
  ::EnableWindow(Handle(), enabled);
  if (!enabled) hot_ = pressed_ = false;
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

LRESULT FlatButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_PRINTCLIENT: {
      RECT client;
      ::GetClientRect(Handle(), &client);
      PaintTo(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the painting covers everything
    case WM_MOUSEMOVE:
      MouseMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSELEAVE:
      SetHot(false);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      pressed_ = true;
      SetHot(true);
      ::SetCapture(Handle());
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP:
      Released(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      pressed_ = false;
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = Default(message, wParam, lParam);
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return result;
    }
    default:
      return Default(message, wParam, lParam);
  }
}

void FlatButton::MouseMoved(int x, int y) {
  RECT client;
  ::GetClientRect(Handle(), &client);
  const POINT p{x, y};
  const bool inside = ::PtInRect(&client, p) != FALSE;
  if (inside && !hot_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
    ::TrackMouseEvent(&track);
  }
  SetHot(inside);
}

void FlatButton::Released(int x, int y) {
  const bool wasPressed = pressed_;
  RECT client;
  ::GetClientRect(Handle(), &client);
  const bool inside = ::PtInRect(&client, POINT{x, y}) != FALSE;
  if (::GetCapture() == Handle()) ::ReleaseCapture();
  pressed_ = false;
  ::InvalidateRect(Handle(), nullptr, FALSE);
  // A disabled button gets no mouse input from the system; one sent anyway does nothing.
  if (wasPressed && inside && Enabled() && onClick_) onClick_();
}

void FlatButton::SetHot(bool hot) {
  if (hot_ == hot) return;
  hot_ = hot;
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void FlatButton::Paint() {
  BufferedPaint paint(Handle());
  PaintTo(paint.Dc(), paint.Client());
}

void FlatButton::PaintTo(HDC dc, const RECT& client) {
  const controls::FlatButtonPaint look = controls::DecideFlatButton({Enabled(), hot_, Pressed()}, background_);
  FillSolid(dc, FromRect(client), look.face);
  if (look.frame) {
    UniqueGdiObject brush(::CreateSolidBrush(ToColorRef(look.frameColour)));
    ::FrameRect(dc, &client, AsBrush(brush));
  }
  SelectScope font(dc, font_);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ToColorRef(look.textColour));
  RECT r = client;
  const WString caption = Caption();
  ::DrawTextW(dc, win32::Wide(caption.c_str()), int(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace gui
