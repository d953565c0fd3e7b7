#include "app/win32/Accessible.h"

#include <new>

#include "platform/win32/Handles.h"

namespace gui {

namespace {

BSTR ToBstr(const WString& text) { return ::SysAllocStringLen(win32::Wide(text.c_str()), UINT(text.size())); }

// A VARIANT naming the control (CHILDID_SELF) or one child; -1 for anything else.
long ChildOf(const VARIANT& child, int count) {
  if (child.vt != VT_I4) return -1;
  const long id = child.lVal;
  return id >= 0 && id <= count ? id : -1;
}

}  // namespace

class AccessibleObject final : public IAccessible {
 public:
  AccessibleObject(HWND window, AccessibleModel& model) : window_(window), model_(&model) {}
  void Disconnect() { model_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(::InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return ULONG(left);
  }

  // IDispatch: screen readers use the IAccessible methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    if (!model_) return CO_E_OBJNOTCONNECTED;
    return ::AccessibleObjectFromWindow(window_, DWORD(OBJID_WINDOW), IID_IDispatch, reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    if (!model_) return CO_E_OBJNOTCONNECTED;
    *count = model_->ChildCount();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
    if (!child) return E_POINTER;
    *child = nullptr;
    return model_ ? S_FALSE : CO_E_OBJNOTCONNECTED;  // the children are simple elements
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, name, [this](long id) { return id == CHILDID_SELF ? model_->Name() : model_->ChildName(int(id)); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Text(child, value,
                [this](long id) { return id == CHILDID_SELF ? model_->Value() : model_->ChildValue(int(id)); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Nothing(text); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = id == CHILDID_SELF ? model_->Role() : model_->ChildRole(int(id));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    const bool focused = ::GetFocus() == window_;
    long bits = 0;
    if (id == CHILDID_SELF) {
      if (!::IsWindowEnabled(window_)) bits |= STATE_SYSTEM_UNAVAILABLE;
      else bits |= STATE_SYSTEM_FOCUSABLE;
      if (!::IsWindowVisible(window_)) bits |= STATE_SYSTEM_INVISIBLE;
      if (focused) bits |= STATE_SYSTEM_FOCUSED;
    } else {
      bits |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY;
      if (model_->ChildSelected(int(id))) bits |= STATE_SYSTEM_SELECTED | (focused ? STATE_SYSTEM_FOCUSED : 0);
      const RECT r = model_->ChildRect(int(id));
      if (::IsRectEmpty(&r)) bits |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    }
    state->vt = VT_I4;
    state->lVal = bits;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return Nothing(text); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override { return Nothing(text); }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    if (!child) return E_POINTER;
    if (!model_) return CO_E_OBJNOTCONNECTED;
    child->vt = VT_EMPTY;
    if (::GetFocus() != window_) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = SelectedChild();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    if (!children) return E_POINTER;
    if (!model_) return CO_E_OBJNOTCONNECTED;
    children->vt = VT_EMPTY;
    const long selected = SelectedChild();
    if (selected == CHILDID_SELF) return S_FALSE;
    children->vt = VT_I4;
    children->lVal = selected;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Text(child, action, [this](long id) { return id == CHILDID_SELF ? model_->DefaultAction() : WString(); });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return model_ ? E_NOTIMPL : CO_E_OBJNOTCONNECTED; }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    RECT r{};
    if (id == CHILDID_SELF) {
      ::GetClientRect(window_, &r);
    } else {
      r = model_->ChildRect(int(id));
    }
    ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    *left = r.left, *top = r.top, *width = r.right - r.left, *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
    if (end) end->vt = VT_EMPTY;
    return model_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    if (!child) return E_POINTER;
    if (!model_) return CO_E_OBJNOTCONNECTED;
    POINT p{x, y};
    ::ScreenToClient(window_, &p);
    RECT client;
    ::GetClientRect(window_, &client);
    child->vt = VT_EMPTY;
    if (!::PtInRect(&client, p)) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    for (int i = 1; i <= model_->ChildCount(); ++i) {
      const RECT r = model_->ChildRect(i);
      if (::PtInRect(&r, p)) child->lVal = i;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    if (id != CHILDID_SELF || model_->DefaultAction().empty()) return DISP_E_MEMBERNOTFOUND;
    model_->DoDefaultAction();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // The child id, -1 for one that does not exist, -2 once disconnected.
  long Checked(const VARIANT& child) const { return model_ ? ChildOf(child, model_->ChildCount()) : -2; }
  long SelectedChild() const {
    for (int i = 1; i <= model_->ChildCount(); ++i)
      if (model_->ChildSelected(i)) return i;
    return CHILDID_SELF;
  }
  template <typename Read>
  HRESULT Text(const VARIANT& child, BSTR* out, Read read) {
    if (!out) return E_POINTER;
    *out = nullptr;
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    const WString text = read(id);
    if (text.empty()) return S_FALSE;
    *out = ToBstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT Nothing(BSTR* out) {
    if (out) *out = nullptr;
    return S_FALSE;
  }

  HWND window_;
  AccessibleModel* model_;
  LONG references_ = 1;
};

// A COM object: it lives until its last Release, ours or a screen reader's.
AccessibleWindow::AccessibleWindow(HWND window, AccessibleModel& model)
    : window_(window), object_(new AccessibleObject(window, model)) {}

AccessibleWindow::~AccessibleWindow() {
  object_->Disconnect();
  object_->Release();
}

bool AccessibleWindow::Answer(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (DWORD(lParam) != DWORD(OBJID_CLIENT)) return false;
  result = ::LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(object_));
  return true;
}

void AccessibleWindow::FocusChanged(int child) const {
  if (::GetFocus() == window_) ::NotifyWinEvent(EVENT_OBJECT_FOCUS, window_, OBJID_CLIENT, child);
}

void AccessibleWindow::ValueChanged() const {
  ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

void AccessibleWindow::NameChanged() const {
  ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace gui
