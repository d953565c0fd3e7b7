// MainMenu1 and PopupMenu1 with their items, and the items as the view's
// commands and check item.
#pragma once
#include <windows.h>

#include "app/View.h"
#include "platform/Text.h"

namespace gui {

enum MenuId : UINT {
  kMenuAbout = 101,
  kMenuQuit,
  kMenuIncludeMicrosoft,
  kMenuExport,
  kMenuVerify,
  kMenuProperties,
};

// A menu handle destroyed with its owner unless a window took it over.
class OwnedMenu {
 public:
  explicit OwnedMenu(HMENU menu) : menu_(menu) {}
  ~OwnedMenu();
  OwnedMenu(OwnedMenu&& other) noexcept : menu_(other.Release()) {}
  OwnedMenu(const OwnedMenu&) = delete;
  OwnedMenu& operator=(const OwnedMenu&) = delete;
  HMENU Get() const { return menu_; }
  // A window's menu bar is destroyed with the window.
  HMENU Release();

 private:
  HMENU menu_;
};

// "File" (About, Quit) and "Options" (Include Microsoft Provided Drivers).
OwnedMenu MakeMainMenu();
// Export Driver, Verify Signatures, Properties.
OwnedMenu MakeDevicePopupMenu();

WString MenuItemText(HMENU menu, UINT id);  // empty when the menu has no such item

class MenuCommand final : public view::ICommand {
 public:
  MenuCommand(HMENU menu, UINT id) : menu_(menu), id_(id) {}
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;

 private:
  HMENU menu_;
  UINT id_;
};

class MenuCheck final : public view::IMenuCheck {
 public:
  MenuCheck(HMENU menu, UINT id) : menu_(menu), id_(id) {}
  bool Checked() const override;
  void SetChecked(bool checked) override;

 private:
  HMENU menu_;
  UINT id_;
};

}  // namespace gui
