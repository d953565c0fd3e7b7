#include "app/win32/AboutWindow.h"

#include <memory>

#include "app/Dpi.h"
#include "app/win32/FlatButton.h"
#include "app/win32/Gdi.h"
#include "app/win32/SmallWindow.h"
#include "platform/win32/Handles.h"

namespace gui {
namespace {

class Win32AboutWindow final : public SmallWindow, public view::IAboutWindowView {
 public:
  explicit Win32AboutWindow(HWND owner);

  void SetVersionLine(const WString& text) override { ::SetWindowTextW(lblText_, win32::Wide(text.c_str())); }
  void ShowModal() override;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void LayOut() override;
  void RunUntilClosed();
  void Close();

  UniqueGdiObject titleFont_, textFont_, creditFont_, closeFont_;
  HWND lblTitle_ = nullptr, lblText_ = nullptr, lblCredit_ = nullptr;
  std::unique_ptr<FlatButton> btnClose_;
  bool closed_ = false;
};

Win32AboutWindow::Win32AboutWindow(HWND owner) {
  // WS_SYSMENU: Alt+F4 closes the window although it has no caption.
  CreateSmall(kAboutWindowClass, WS_SYSMENU, owner);
  lblTitle_ = CreateLabel(kAboutTitleId);
  ::SetWindowTextW(lblTitle_, win32::Wide(windows_layout::kAboutTitle));
  lblText_ = CreateLabel(kAboutVersionId);
  lblCredit_ = CreateLabel(kAboutCreditId);
  ::SetWindowTextW(lblCredit_, win32::Wide(windows_layout::kAboutCredit));
  // Its font comes with the layout.
  btnClose_ = std::make_unique<FlatButton>(Handle(), kAboutCloseId, u"X", FromColorRef(::GetSysColor(COLOR_BTNFACE)),
                                           nullptr);
  btnClose_->OnClick([this] { Close(); });  // btnOkClick
  btnClose_->SetAccessibleName(u"Close");  // what its "X" means, read aloud
  LayOut();
}

void Win32AboutWindow::LayOut() {
  const int dpi = CurrentDpi();
  const windows_layout::SmallWindowLayout layout = windows_layout::Scaled(windows_layout::AboutLayout(), dpi);
  const windows_layout::LabelBox credit = windows_layout::Scaled(windows_layout::AboutCreditLine(), dpi);
  titleFont_ = MakeLabelFont(layout.lblTitle);
  textFont_ = MakeLabelFont(layout.lblText);
  creditFont_ = MakeLabelFont(credit);
  PlaceLabel(lblTitle_, layout.lblTitle, AsFont(titleFont_));
  PlaceLabel(lblText_, layout.lblText, AsFont(textFont_));
  PlaceLabel(lblCredit_, credit, AsFont(creditFont_));
  UniqueGdiObject closeFont = MakeFont(L"Verdana", windows_layout::kAboutCloseButtonPoints, dpi);
  btnClose_->SetFont(AsFont(closeFont));
  closeFont_ = std::move(closeFont);
  const view::Rect b = dpi::Scale(windows_layout::kAboutCloseButton, dpi);
  ::MoveWindow(btnClose_->Handle(), b.left, b.top, b.Width(), b.Height(), TRUE);
}

void Win32AboutWindow::ShowModal() {
  HWND owner = ::GetWindow(Handle(), GW_OWNER);
  // EnableWindow answers whether the owner was disabled before: leave it so.
  const bool reenableOwner = owner && !::EnableWindow(owner, FALSE);
  closed_ = false;
  ::ShowWindow(Handle(), SW_SHOW);
  RunUntilClosed();
  // The owner first, so that it (not another program) becomes active again.
  if (reenableOwner) ::EnableWindow(owner, TRUE);
  ::ShowWindow(Handle(), SW_HIDE);
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
    // Escape reaches the window as IDCANCEL, the id of "X".
    if (::IsDialogMessageW(Handle(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// Hidden by ShowModal, destroyed with the view. The posted message wakes the
// loop when the close came as a message sent from another thread.
void Win32AboutWindow::Close() {
  closed_ = true;
  ::PostMessageW(Handle(), WM_NULL, 0, 0);
}

LRESULT Win32AboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleCommon(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kAboutCloseId) Close();
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace
}  // namespace gui

std::unique_ptr<view::IAboutWindowView> CreateWin32AboutWindow(HWND owner) {
  return std::make_unique<gui::Win32AboutWindow>(owner);
}
