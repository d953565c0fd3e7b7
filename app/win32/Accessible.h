// What screen readers see of the controls we draw ourselves. A control describes
// itself, its rows and their cells through an AccessibleModel; an AccessibleWindow
// answers WM_GETOBJECT with an IAccessible over that model (a row with cells is an
// object of its own, its cells simple elements) and tells the system when the
// focus or a value changes.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <memory>

#include "platform/Text.h"

namespace gui {

class AccessibleModel {
 public:
  virtual ~AccessibleModel() = default;
  // The control itself.
  virtual long Role() const = 0;  // ROLE_SYSTEM_...
  virtual WString Name() const = 0;
  virtual WString Value() const { return {}; }
  virtual WString DefaultAction() const { return {}; }
  virtual WString KeyboardShortcut() const { return {}; }  // e.g. "Alt+S"
  virtual void DoDefaultAction() {}
  // Its children, 1 to ChildCount() (a grid's rows).
  virtual int ChildCount() const { return 0; }
  virtual long ChildRole(int) const { return ROLE_SYSTEM_LISTITEM; }
  virtual WString ChildName(int) const { return {}; }
  virtual WString ChildValue(int) const { return {}; }
  virtual bool ChildSelected(int) const { return false; }
  // In the control's client coordinates; empty when the child is out of view.
  virtual RECT ChildRect(int) const { return {}; }
  // A child's own children, 1 to CellCount(child) (a row's cells); none: the
  // child is a simple element.
  virtual int CellCount(int) const { return 0; }
  virtual WString CellName(int, int) const { return {}; }
  virtual WString CellValue(int, int) const { return {}; }
  virtual RECT CellRect(int, int) const { return {}; }
};

class AccessibleObject;  // the IAccessible, which may outlive the control
struct AccessibleConnection;

class AccessibleWindow {
 public:
  AccessibleWindow(HWND window, AccessibleModel& model);
  ~AccessibleWindow();  // later calls on the object fail as disconnected
  AccessibleWindow(const AccessibleWindow&) = delete;
  AccessibleWindow& operator=(const AccessibleWindow&) = delete;

  // WM_GETOBJECT: the object for OBJID_CLIENT; false for other requests.
  bool Answer(WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The focus moved to `child` (0: the control itself) while the control has it.
  void FocusChanged(int child) const;
  void ValueChanged() const;
  void NameChanged() const;

 private:
  HWND window_;
  std::shared_ptr<AccessibleConnection> connection_;
  AccessibleObject* object_;
};

}  // namespace gui
