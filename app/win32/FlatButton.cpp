#include "app/win32/FlatButton.h"

#include <windowsx.h>

#include <vector>

#include "app/DrawingControls.h"
#include "app/win32/Gdi.h"
#include "platform/win32/Handles.h"

namespace gui {

FlatButton::FlatButton(HWND parent, int id, const WString& caption, view::Rgb background, HFONT font,
                       char16_t accessKey)
    : background_(background), font_(font), accessKey_(accessKey) {
  Create(L"QuillonFlatButton", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, win32::Wide(caption.c_str()),
         RECT{0, 0, 0, 0}, parent, reinterpret_cast<HMENU>(INT_PTR(id)), ::LoadCursorW(nullptr, IDC_HAND));
  accessible_ = std::make_unique<AccessibleWindow>(Handle(), speech_);
}

WString FlatButton::Speech::Name() const {
  return button_.accessibleName_.empty() ? button_.Caption() : button_.accessibleName_;
}

WString FlatButton::Speech::KeyboardShortcut() const {
  return button_.accessKey_ ? WString(u"Alt+") + button_.accessKey_ : WString();
}

void FlatButton::SetAccessibleName(const WString& name) {
  accessibleName_ = name;
  accessible_->NameChanged();
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

void FlatButton::SetFont(HFONT font) {
  font_ = font;
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

bool FlatButton::Enabled() const { return ::IsWindowEnabled(Handle()) != FALSE; }

void FlatButton::SetEnabled(bool enabled) {
  if (Enabled() == enabled) return;
  ::EnableWindow(Handle(), enabled);
  if (!enabled) hot_ = pressed_ = spaceDown_ = false;
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
    case WM_GETDLGCODE:
      return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case WM_GETOBJECT: {
      LRESULT result = 0;
      if (accessible_ && accessible_->Answer(wParam, lParam, result)) return result;
      return Default(message, wParam, lParam);
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (OnKey(message, wParam)) return 0;
      return Default(message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      spaceDown_ = false;
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return Default(message, wParam, lParam);
    case WM_UPDATEUISTATE: {
      const LRESULT result = Default(message, wParam, lParam);
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return result;
    }
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

void FlatButton::Press() {
  if (Enabled() && onClick_) onClick_();
}

// Space presses on its release, as a push button does; Enter at once.
bool FlatButton::OnKey(UINT message, WPARAM key) {
  if (key == VK_SPACE) {
    const bool wasDown = spaceDown_;
    spaceDown_ = message == WM_KEYDOWN && Enabled();
    ::InvalidateRect(Handle(), nullptr, FALSE);
    if (message == WM_KEYUP && wasDown) Press();
    return true;
  }
  if (key == VK_RETURN && message == WM_KEYDOWN) {
    Press();
    return true;
  }
  return false;
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
  const auto uiState = LRESULT(::SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0));
  controls::FlatButtonState state{Enabled(), hot_, Pressed() || spaceDown_, ::GetFocus() == Handle(),
                                  !(uiState & UISF_HIDEFOCUS)};
  const controls::FlatButtonPaint look = controls::DecideFlatButton(state, background_);
  FillSolid(dc, FromRect(client), look.face);
  if (look.frame) {
    UniqueGdiObject brush(::CreateSolidBrush(ToColorRef(look.frameColour)));
    ::FrameRect(dc, &client, AsBrush(brush));
  }
  if (look.focusMark) {
    RECT mark = client;
    ::InflateRect(&mark, -2, -2);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkColor(dc, ToColorRef(look.face));
    ::DrawFocusRect(dc, &mark);
  }
  SelectScope font(dc, font_);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ToColorRef(look.textColour));
  RECT r = client;
  const WString caption = controls::CaptionWithAccessKey(Caption(), accessKey_);
  UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (uiState & UISF_HIDEACCEL) format |= DT_HIDEPREFIX;  // underlined only while Alt shows the keys
  ::DrawTextW(dc, win32::Wide(caption.c_str()), int(caption.size()), &r, format);
}

}  // namespace gui
