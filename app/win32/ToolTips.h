// One tool-tip control for the window's buttons: each tool is a child window,
// its tip shown while the mouse rests on it.
#pragma once
#include <windows.h>

#include "app/win32/WindowHandles.h"
#include "platform/Text.h"

namespace gui {

class ToolTips {
 public:
  explicit ToolTips(HWND owner);  // throws QuillonError when the control cannot be made
  ToolTips(const ToolTips&) = delete;
  ToolTips& operator=(const ToolTips&) = delete;

  // An empty text removes the tool: a button without a hint shows no tip.
  void SetTip(HWND tool, const WString& text);
  WString Tip(HWND tool) const;  // empty when the tool has none
  // How long a tip stays visible before it hides.
  void SetHidePause(int milliseconds);
  int HidePause() const;
  HWND Handle() const { return tips_.Get(); }

 private:
  HWND owner_;
  UniqueWindow tips_;
};

}  // namespace gui
