// What screen readers see of the controls we draw ourselves. A control describes
// itself (and its rows, as simple child elements) through an AccessibleModel; an
// AccessibleWindow answers WM_GETOBJECT with an IAccessible over that model and
// tells the system when the focus or a value changes.
#pragma once
#include <windows.h>
#include <oleacc.h>

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
  virtual void DoDefaultAction() {}
  // Its children, 1 to ChildCount(): simple elements (a grid's rows).
  virtual int ChildCount() const { return 0; }
  virtual long ChildRole(int) const { return ROLE_SYSTEM_LISTITEM; }
  virtual WString ChildName(int) const { return {}; }
  virtual WString ChildValue(int) const { return {}; }
  virtual bool ChildSelected(int) const { return false; }
  // In the control's client coordinates; empty when the child is out of view.
  virtual RECT ChildRect(int) const { return {}; }
};

class AccessibleObject;  // the IAccessible, which may outlive the control

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
  AccessibleObject* object_;
};

}  // namespace gui
