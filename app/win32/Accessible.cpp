#include "app/win32/Accessible.h"

#include <memory>

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

// The model while its control lives; every object over it (the control's and
// its rows') shares this and fails as disconnected once the control has gone.
struct AccessibleConnection {
  AccessibleModel* model;
};

// The control itself (row 0) or one of its rows that has cells, as an IAccessible.
// Children are simple elements: the control's rows, or the row's cells.
class AccessibleObject final : public IAccessible {
 public:
  AccessibleObject(HWND window, std::shared_ptr<AccessibleConnection> connection, int row = 0,
                   IAccessible* parent = nullptr)
      : window_(window), connection_(std::move(connection)), row_(row), parent_(parent) {
    if (parent_) parent_->AddRef();
  }
  ~AccessibleObject() {
    if (parent_) parent_->Release();
  }

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
    if (!Model()) return CO_E_OBJNOTCONNECTED;
    if (parent_) return parent_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(parent));
    return ::AccessibleObjectFromWindow(window_, DWORD(OBJID_WINDOW), IID_IDispatch, reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    if (!Model()) return CO_E_OBJNOTCONNECTED;
    *count = ChildCount();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    // A row with cells is an object of its own; everything else is a simple element.
    if (row_ != 0 || id == CHILDID_SELF || Model()->CellCount(int(id)) == 0) return S_FALSE;
    *out = new AccessibleObject(window_, connection_, int(id), this);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, name, [this](long id) { return NameOf(id); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Text(child, value, [this](long id) { return ValueOf(id); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Nothing(text); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    role->vt = VT_I4;
    if (row_ == 0) role->lVal = id == CHILDID_SELF ? Model()->Role() : Model()->ChildRole(int(id));
    else role->lVal = id == CHILDID_SELF ? Model()->ChildRole(row_) : ROLE_SYSTEM_CELL;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    const bool focused = ::GetFocus() == window_;
    long bits = 0;
    if (row_ == 0 && id == CHILDID_SELF) {
      if (!::IsWindowEnabled(window_)) bits |= STATE_SYSTEM_UNAVAILABLE;
      else bits |= STATE_SYSTEM_FOCUSABLE;
      if (!::IsWindowVisible(window_)) bits |= STATE_SYSTEM_INVISIBLE;
      if (focused) bits |= STATE_SYSTEM_FOCUSED;
    } else {
      const int row = row_ == 0 ? int(id) : row_;
      bits |= STATE_SYSTEM_READONLY;
      if (row_ == 0 || id == CHILDID_SELF) {
        bits |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (Model()->ChildSelected(row)) bits |= STATE_SYSTEM_SELECTED | (focused ? STATE_SYSTEM_FOCUSED : 0);
      }
      const RECT r = RectOf(id);
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
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return Text(child, text,
                [this](long id) { return row_ == 0 && id == CHILDID_SELF ? Model()->KeyboardShortcut() : WString(); });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    if (!child) return E_POINTER;
    if (!Model()) return CO_E_OBJNOTCONNECTED;
    child->vt = VT_EMPTY;
    if (row_ != 0 || ::GetFocus() != window_) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = SelectedChild();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    if (!children) return E_POINTER;
    if (!Model()) return CO_E_OBJNOTCONNECTED;
    children->vt = VT_EMPTY;
    const long selected = row_ == 0 ? SelectedChild() : CHILDID_SELF;
    if (selected == CHILDID_SELF) return S_FALSE;
    children->vt = VT_I4;
    children->lVal = selected;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Text(child, action,
                [this](long id) { return row_ == 0 && id == CHILDID_SELF ? Model()->DefaultAction() : WString(); });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return Model() ? E_NOTIMPL : CO_E_OBJNOTCONNECTED; }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    RECT r = RectOf(id);
    ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    *left = r.left, *top = r.top, *width = r.right - r.left, *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
    if (end) end->vt = VT_EMPTY;
    return Model() ? S_FALSE : CO_E_OBJNOTCONNECTED;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    if (!child) return E_POINTER;
    if (!Model()) return CO_E_OBJNOTCONNECTED;
    POINT p{x, y};
    ::ScreenToClient(window_, &p);
    child->vt = VT_EMPTY;
    const RECT self = RectOf(CHILDID_SELF);
    if (!::PtInRect(&self, p)) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    for (int i = 1; i <= ChildCount(); ++i) {
      const RECT r = RectOf(i);
      if (::PtInRect(&r, p)) child->lVal = i;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    const long id = Checked(child);
    if (id < 0) return id == -2 ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
    if (row_ != 0 || id != CHILDID_SELF || Model()->DefaultAction().empty()) return DISP_E_MEMBERNOTFOUND;
    Model()->DoDefaultAction();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  AccessibleModel* Model() const { return connection_->model; }
  int ChildCount() const { return row_ == 0 ? Model()->ChildCount() : Model()->CellCount(row_); }
  // The child id, -1 for one that does not exist, -2 once disconnected.
  long Checked(const VARIANT& child) const { return Model() ? ChildOf(child, ChildCount()) : -2; }
  WString NameOf(long id) const {
    if (row_ == 0) return id == CHILDID_SELF ? Model()->Name() : Model()->ChildName(int(id));
    return id == CHILDID_SELF ? Model()->ChildName(row_) : Model()->CellName(row_, int(id));
  }
  WString ValueOf(long id) const {
    if (row_ == 0) return id == CHILDID_SELF ? Model()->Value() : Model()->ChildValue(int(id));
    return id == CHILDID_SELF ? Model()->ChildValue(row_) : Model()->CellValue(row_, int(id));
  }
  RECT RectOf(long id) const {
    RECT r{};
    if (row_ == 0 && id == CHILDID_SELF) ::GetClientRect(window_, &r);
    else if (row_ == 0) r = Model()->ChildRect(int(id));
    else r = id == CHILDID_SELF ? Model()->ChildRect(row_) : Model()->CellRect(row_, int(id));
    return r;
  }
  long SelectedChild() const {
    for (int i = 1; i <= Model()->ChildCount(); ++i)
      if (Model()->ChildSelected(i)) return i;
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
  std::shared_ptr<AccessibleConnection> connection_;
  int row_;
  IAccessible* parent_;  // the control's object, held while a row's object lives
  LONG references_ = 1;
};

// COM objects: each lives until its last Release, ours or a screen reader's.
AccessibleWindow::AccessibleWindow(HWND window, AccessibleModel& model)
    : window_(window),
      connection_(std::make_shared<AccessibleConnection>(AccessibleConnection{&model})),
      object_(new AccessibleObject(window, connection_)) {}

AccessibleWindow::~AccessibleWindow() {
  connection_->model = nullptr;
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
