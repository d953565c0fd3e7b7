#include "app/win32/ToolTips.h"

#include <commctrl.h>

#include <vector>

#include "app/win32/Window.h"
#include "platform/win32/Handles.h"

namespace gui {

namespace {

TOOLINFOW ToolOf(HWND owner, HWND tool) {
  TOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  return info;
}

}  // namespace

ToolTips::ToolTips(HWND owner) : owner_(owner) {
  tips_.Attach(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            ModuleInstance(), nullptr));
  if (!tips_.Get()) ThrowLastError("CreateWindowEx(tooltips)");
}

void ToolTips::SetTip(HWND tool, const WString& text) {
  TOOLINFOW info = ToolOf(owner_, tool);
  const bool known = ::SendMessageW(tips_.Get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
  info = ToolOf(owner_, tool);
  WString copy = text;
  info.lpszText = win32::Wide(copy.data());
  if (text.empty()) {
    if (known) ::SendMessageW(tips_.Get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  } else if (known) {
    ::SendMessageW(tips_.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  } else {
    ::SendMessageW(tips_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

WString ToolTips::Tip(HWND tool) const {
  TOOLINFOW info = ToolOf(owner_, tool);
  if (!::SendMessageW(tips_.Get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) return {};
  std::vector<wchar_t> buffer(1024);
  info = ToolOf(owner_, tool);
  info.lpszText = buffer.data();
  ::SendMessageW(tips_.Get(), TTM_GETTEXTW, WPARAM(buffer.size()), reinterpret_cast<LPARAM>(&info));
  return WString(reinterpret_cast<const char16_t*>(buffer.data()));
}

void ToolTips::SetHidePause(int milliseconds) {
  ::SendMessageW(tips_.Get(), TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(milliseconds, 0));
}

int ToolTips::HidePause() const { return int(::SendMessageW(tips_.Get(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0)); }

}  // namespace gui
