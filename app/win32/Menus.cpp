#include "app/win32/Menus.h"


#include "app/win32/Window.h"

namespace gui {

namespace {

void Append(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text) {
  if (!::AppendMenuW(menu, flags, id, text)) ThrowLastError("AppendMenu");
}

HMENU NewMenu(bool popup) {
  HMENU menu = popup ? ::CreatePopupMenu() : ::CreateMenu();
  if (!menu) ThrowLastError("CreateMenu");
  return menu;
}

}  // namespace

UniqueMenu MakeMainMenu() {
  UniqueMenu bar(NewMenu(false));
  // Each submenu belongs to the bar as soon as it is appended.
  HMENU file = NewMenu(true);
  Append(bar.Get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(file), L"File");
  Append(file, MF_STRING, kMenuRestore, L"Restore Drivers\u2026");
  Append(file, MF_SEPARATOR, 0, nullptr);
  Append(file, MF_STRING, kMenuAbout, L"About");
  Append(file, MF_STRING, kMenuQuit, L"Quit");
  HMENU options = NewMenu(true);
  Append(bar.Get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(options), L"Options");
  Append(options, MF_STRING | MF_UNCHECKED, kMenuIncludeMicrosoft, L"Include Microsoft Provided Drivers");
  return bar;
}

UniqueMenu MakeDevicePopupMenu() {
  UniqueMenu popup(NewMenu(true));
  Append(popup.Get(), MF_STRING, kMenuExport, L"Export Driver");
  Append(popup.Get(), MF_STRING, kMenuVerify, L"Verify Signatures");
  Append(popup.Get(), MF_STRING, kMenuProperties, L"Properties");
  return popup;
}

WString MenuItemText(HMENU menu, UINT id) {
  wchar_t buffer[256] = {};
  const int n = ::GetMenuStringW(menu, id, buffer, 256, MF_BYCOMMAND);
  return WString(reinterpret_cast<const char16_t*>(buffer), size_t(n > 0 ? n : 0));
}

bool MenuCommand::Enabled() const {
  return (::GetMenuState(menu_, id_, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

void MenuCommand::SetEnabled(bool enabled) {
  ::EnableMenuItem(menu_, id_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool MenuCheck::Checked() const { return (::GetMenuState(menu_, id_, MF_BYCOMMAND) & MF_CHECKED) != 0; }

void MenuCheck::SetChecked(bool checked) {
  ::CheckMenuItem(menu_, id_, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace gui
