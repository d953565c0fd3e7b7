#include "app/win32/AboutWindow.h"

#include "app/win32/Gdi.h"
#include "app/win32/SmallWindow.h"
#include "platform/win32/Handles.h"

namespace gui {
namespace {

class Win32AboutWindow final : public view::IAboutWindowView {
 public:
  explicit Win32AboutWindow(HWND owner);

  void SetVersionLine(const WString& text) override { ::SetWindowTextW(lblText_, win32::Wide(text.c_str())); }
  void ShowModal() override;

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Paint(HWND hwnd);
  void DrawCloseButton(const DRAWITEMSTRUCT& item);
  void RunUntilClosed();
  void Close(HWND hwnd);

  const windows_layout::SmallWindowLayout layout_ = windows_layout::AboutLayout();
  const windows_layout::LabelBox credit_ = windows_layout::AboutCreditLine();
  LogoBitmap logo_;
  UniqueGdiObject titleFont_, textFont_, creditFont_, closeFont_;
  bool closed_ = false;
  // Last member: the window goes before the fonts its controls use.
  UniqueWindow window_;
  HWND lblText_ = nullptr, btnClose_ = nullptr;
};

Win32AboutWindow::Win32AboutWindow(HWND owner)
    : titleFont_(MakeLabelFont(layout_.lblTitle)),
      textFont_(MakeLabelFont(layout_.lblText)),
      creditFont_(MakeLabelFont(credit_)),
      closeFont_(MakeFont(L"Verdana", windows_layout::kAboutCloseButtonPoints)) {
  RegisterSmallWindowClass(kAboutWindowClass, ForwardingWindowProc<Win32AboutWindow>);
  // WS_SYSMENU: Alt+F4 closes the window although it has no caption.
  window_ = CreateSmallWindow(kAboutWindowClass, WS_SYSMENU, owner, this);
  HWND title = CreateLabel(window_.Get(), kAboutTitleId, layout_.lblTitle, AsFont(titleFont_));
  ::SetWindowTextW(title, win32::Wide(windows_layout::kAboutTitle));
  lblText_ = CreateLabel(window_.Get(), kAboutVersionId, layout_.lblText, AsFont(textFont_));
  HWND credit = CreateLabel(window_.Get(), kAboutCreditId, credit_, AsFont(creditFont_));
  ::SetWindowTextW(credit, win32::Wide(windows_layout::kAboutCredit));
  const view::Rect& b = windows_layout::kAboutCloseButton;
  btnClose_ = ::CreateWindowExW(0, L"BUTTON", L"X", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, b.left, b.top,
                                b.Width(), b.Height(), window_.Get(), reinterpret_cast<HMENU>(INT_PTR(kAboutCloseId)),
                                ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(btnClose_, WM_SETFONT, reinterpret_cast<WPARAM>(AsFont(closeFont_)), FALSE);
}

void Win32AboutWindow::ShowModal() {
  HWND owner = ::GetWindow(window_.Get(), GW_OWNER);
  // EnableWindow answers whether the owner was disabled before: leave it so.
  const bool reenableOwner = owner && !::EnableWindow(owner, FALSE);
  closed_ = false;
  ::ShowWindow(window_.Get(), SW_SHOW);
  ::SetFocus(btnClose_);
  RunUntilClosed();
  // The owner first, so that it (not another program) becomes active again.
  if (reenableOwner) ::EnableWindow(owner, TRUE);
  ::ShowWindow(window_.Get(), SW_HIDE);
}

void Win32AboutWindow::RunUntilClosed() {
  MSG msg{};
  while (!closed_) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT belongs to the main loop: hand it back and stop being modal.
      if (got == 0) ::PostQuitMessage(int(msg.wParam));
      return;
    }
    if (::IsDialogMessageW(window_.Get(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Hidden by ShowModal, destroyed with the view. The posted message wakes the
// loop when the close came as a message sent from another thread.
void Win32AboutWindow::Close(HWND hwnd) {
  closed_ = true;
  ::PostMessageW(hwnd, WM_NULL, 0, 0);
}

void Win32AboutWindow::Paint(HWND hwnd) {
  BufferedPaint paint(hwnd);
  PaintSmallWindowBackground(paint.Dc(), paint.Client(), logo_, layout_.logo);
}

// A flat button: only its caption, on a darker face while pressed.
void Win32AboutWindow::DrawCloseButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pressed = item.itemState & ODS_SELECTED;
  ::FillRect(dc, &r, ::GetSysColorBrush(pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
  SelectScope font(dc, AsFont(closeFont_));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  ::DrawTextW(dc, L"X", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS) {
    ::InflateRect(&r, -2, -2);
    ::DrawFocusRect(dc, &r);
  }
}

LRESULT Win32AboutWindow::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_CTLCOLORSTATIC:
      return LabelColours(reinterpret_cast<HDC>(wParam));
    case WM_DRAWITEM:
      DrawCloseButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kAboutCloseId) Close(hwnd);  // btnOkClick
      return 0;
    case WM_CLOSE:
      Close(hwnd);
      return 0;
    default:
      return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace
}  // namespace gui

std::unique_ptr<view::IAboutWindowView> CreateWin32AboutWindow(HWND owner) {
  return std::make_unique<gui::Win32AboutWindow>(owner);
}
