// MainMenu1 and PopupMenu1 with their items, and the items as the view's
// commands and check item.
#pragma once
#include <windows.h>

#include "app/View.h"
#include "app/win32/WindowHandles.h"
#include "platform/Text.h"

namespace gui {

enum MenuId : UINT {
  kMenuAbout = 101,
  kMenuQuit,
  kMenuIncludeMicrosoft,
  kMenuExport,
  kMenuVerify,
  kMenuProperties,
  kMenuRestore,
};

// "File" (Restore Drivers…, About, Quit) and "Options" (Include Microsoft Provided Drivers).
UniqueMenu MakeMainMenu();
// Export Driver, Verify Signatures, Properties.
UniqueMenu MakeDevicePopupMenu();

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
