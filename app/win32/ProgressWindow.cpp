#include "app/win32/ProgressWindow.h"

#include "app/Dpi.h"
#include "app/win32/Accessible.h"
#include "app/win32/Gdi.h"
#include "app/win32/SmallWindow.h"
#include "platform/win32/Handles.h"

namespace gui {
namespace {

char16_t UserDecimalSeparator() {
  wchar_t separator[8] = {};
  if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 1) return char16_t(separator[0]);
  return u'.';
}

class Win32ProgressWindow final : public SmallWindow, public view::IProgressWindowView {
 public:
  explicit Win32ProgressWindow(HWND owner);

  void SetTitleLabel(const WString& text) override { ::SetWindowTextW(lblTitle_, win32::Wide(text.c_str())); }
  void SetTextLabel(const WString& text) override { ::SetWindowTextW(lblText_, win32::Wide(text.c_str())); }
  void Repaint() override;
  int Width() const override;
  int Height() const override;
  int Dpi() const override { return CurrentDpi(); }
  void FillRect(const view::Rect& r, view::Rgb colour) override;
  void FillRectButtonFace(const view::Rect& r) override;
  void DrawCentredText(const view::Rect& r, const WString& text, int points) override;
  char16_t DecimalSeparator() const override { return decimalSeparator_; }

 private:
  // A progress bar to screen readers: named by the title, its caption as value.
  class Speech final : public AccessibleModel {
   public:
    explicit Speech(Win32ProgressWindow& window) : window_(window) {}
    long Role() const override { return ROLE_SYSTEM_PROGRESSBAR; }
    WString Name() const override;
    WString Value() const override { return window_.caption_; }

   private:
    Win32ProgressWindow& window_;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void LayOut() override;
  HFONT CaptionFont(int points);

  const char16_t decimalSeparator_ = UserDecimalSeparator();
  UniqueGdiObject titleFont_, textFont_;
  UniqueGdiObject captionFont_;
  int captionPixels_ = 0;
  HWND lblTitle_ = nullptr, lblText_ = nullptr;
  WString caption_;  // the bar's, as last drawn
  Speech speech_{*this};
  std::unique_ptr<AccessibleWindow> accessible_;
};

WString Win32ProgressWindow::Speech::Name() const {
  wchar_t title[256] = {};
  const int n = ::GetWindowTextW(window_.lblTitle_, title, 256);
  return WString(reinterpret_cast<const char16_t*>(title), size_t(n));
}

Win32ProgressWindow::Win32ProgressWindow(HWND owner) {
  CreateSmall(kProgressWindowClass, 0, owner);
  lblTitle_ = CreateLabel(kProgressTitleId);
  lblText_ = CreateLabel(kProgressTextId);
  accessible_ = std::make_unique<AccessibleWindow>(Handle(), speech_);
  LayOut();
  // Not activated: the main window keeps the keyboard while its command runs.
  ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  ::UpdateWindow(Handle());
}

void Win32ProgressWindow::LayOut() {
  const windows_layout::SmallWindowLayout layout = windows_layout::Scaled(windows_layout::ProgressLayout(), CurrentDpi());
  titleFont_ = MakeLabelFont(layout.lblTitle);
  textFont_ = MakeLabelFont(layout.lblText);
  PlaceLabel(lblTitle_, layout.lblTitle, AsFont(titleFont_));
  PlaceLabel(lblText_, layout.lblText, AsFont(textFont_));
}

void Win32ProgressWindow::Repaint() {
  // RDW_UPDATENOW sends WM_PAINT straight to the window procedures: no other
  // message is taken from the queue while the command runs.
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

int Win32ProgressWindow::Width() const {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  return r.right - r.left;
}

int Win32ProgressWindow::Height() const {
  RECT r{};
  ::GetWindowRect(Handle(), &r);
  return r.bottom - r.top;
}

void Win32ProgressWindow::FillRect(const view::Rect& r, view::Rgb colour) {
  WindowDc dc(Handle());
  FillSolid(dc.Get(), r, colour);
}

void Win32ProgressWindow::FillRectButtonFace(const view::Rect& r) {
  WindowDc dc(Handle());
  FillSolid(dc.Get(), r, FromColorRef(::GetSysColor(COLOR_BTNFACE)));
}

HFONT Win32ProgressWindow::CaptionFont(int points) {
  const int pixels = dpi::PointsToPixels(points, CurrentDpi());
  if (!captionFont_ || captionPixels_ != pixels) {
    captionFont_ = MakeFontOfPixelHeight(L"Segoe UI", pixels);
    captionPixels_ = pixels;
  }
  return AsFont(captionFont_);
}

void Win32ProgressWindow::DrawCentredText(const view::Rect& r, const WString& text, int points) {
  if (text != caption_) {
    caption_ = text;
    accessible_->ValueChanged();
  }
  WindowDc dc(Handle());
  SelectScope font(dc.Get(), CaptionFont(points));
  ::SetBkMode(dc.Get(), TRANSPARENT);
  ::SetTextColor(dc.Get(), ::GetSysColor(COLOR_WINDOWTEXT));
  RECT rect = ToRect(r);
  ::DrawTextW(dc.Get(), win32::Wide(text.c_str()), int(text.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT Win32ProgressWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleCommon(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_GETOBJECT:
      if (accessible_ && accessible_->Answer(wParam, lParam, result)) return result;
      return Default(message, wParam, lParam);
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // a click must not take the focus from the main window either
    case WM_CLOSE:
      return 0;  // it cannot be cancelled: only CloseProgress ends it (docs/behaviour.md)
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace
}  // namespace gui

std::unique_ptr<view::IProgressWindowView> CreateWin32ProgressWindow(HWND owner) {
  return std::make_unique<gui::Win32ProgressWindow>(owner);
}
