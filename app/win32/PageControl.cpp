#include "app/win32/PageControl.h"

#include <commctrl.h>

#include "app/win32/Window.h"
#include "platform/win32/Handles.h"

namespace gui {

PageControl::PageControl(HWND parent, int id, HFONT font) {
  tabs_.Attach(::CreateWindowExW(0, WC_TABCONTROLW, nullptr,
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | TCS_BUTTONS |
                                TCS_FLATBUTTONS,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), ModuleInstance(), nullptr));
  if (!tabs_.Get()) ThrowLastError("CreateWindowEx(tab control)");
  ::SendMessageW(tabs_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void PageControl::AddPage(const WString& caption, HWND page) {
  WString text = caption;
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = win32::Wide(text.data());
  const int index = int(pages_.size());
  if (::SendMessageW(tabs_.Get(), TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item)) != index)
    ThrowLastError("TCM_INSERTITEM");
  pages_.push_back(page);
  ShowSelected();
}

void PageControl::Place(const RECT& rect) {
  ::MoveWindow(tabs_.Get(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  RECT display;
  ::GetClientRect(tabs_.Get(), &display);
  ::SendMessageW(tabs_.Get(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const int width = display.right > display.left ? display.right - display.left : 0;
  const int height = display.bottom > display.top ? display.bottom - display.top : 0;
  for (HWND page : pages_) ::MoveWindow(page, display.left, display.top, width, height, TRUE);
}

void PageControl::SelectionChanged() { ShowSelected(); }

void PageControl::ShowSelected() {
  const int selected = int(::SendMessageW(tabs_.Get(), TCM_GETCURSEL, 0, 0));
  for (size_t i = 0; i < pages_.size(); ++i) ::ShowWindow(pages_[i], int(i) == selected ? SW_SHOW : SW_HIDE);
}

view::Page PageControl::ActivePage() const {
  return ::SendMessageW(tabs_.Get(), TCM_GETCURSEL, 0, 0) == 1 ? view::Page::tsOutput : view::Page::tsInfFile;
}

void PageControl::SetActivePage(view::Page page) {
  ::SendMessageW(tabs_.Get(), TCM_SETCURSEL, page == view::Page::tsOutput ? 1 : 0, 0);
  ShowSelected();
}

WString PageControl::Caption(int index) const {
  wchar_t buffer[128] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer;
  item.cchTextMax = 128;
  ::SendMessageW(tabs_.Get(), TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
  return WString(reinterpret_cast<const char16_t*>(buffer));
}

}  // namespace gui
