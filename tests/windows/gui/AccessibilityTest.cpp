// What a screen reader gets from the window through MSAA (AccessibleObjectFromWindow,
// as screen readers ask it) under Wine: the grids as tables whose rows carry the
// cells' texts, the toolbar buttons as push buttons named by their captions, and
// the progress window as a progress bar whose value is its caption.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>

#include "app/win32/ProgressWindow.h"
#include "windows/gui/GuiFixture.h"
#include "windows/gui/ThreadWindows.h"

namespace gui_test {
namespace {

// The IAccessible of a window's client area, released at the end of the scope.
class Accessible {
 public:
  explicit Accessible(HWND window) {
    ::AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&object_));
  }
  ~Accessible() {
    if (object_) object_->Release();
  }
  Accessible(const Accessible&) = delete;
  Accessible& operator=(const Accessible&) = delete;
  explicit operator bool() const { return object_ != nullptr; }

  static VARIANT Child(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  }
  std::wstring Name(long child = CHILDID_SELF) const { return Text(&IAccessible::get_accName, child); }
  std::wstring Value(long child = CHILDID_SELF) const { return Text(&IAccessible::get_accValue, child); }
  std::wstring Shortcut(long child = CHILDID_SELF) const { return Text(&IAccessible::get_accKeyboardShortcut, child); }
  long Role(long child = CHILDID_SELF) const { return Number(&IAccessible::get_accRole, child); }
  long State(long child = CHILDID_SELF) const { return Number(&IAccessible::get_accState, child); }
  long ChildCount() const {
    long count = -1;
    object_->get_accChildCount(&count);
    return count;
  }
  long Selection() const {
    VARIANT v;
    ::VariantInit(&v);
    if (object_->get_accSelection(&v) != S_OK || v.vt != VT_I4) return CHILDID_SELF;
    return v.lVal;
  }
  HRESULT DoDefaultAction() const { return object_->accDoDefaultAction(Child(CHILDID_SELF)); }
  // The child's own object (a row with cells); an empty one for a simple element.
  Accessible ChildObject(long child) const {
    Accessible result;
    IDispatch* dispatch = nullptr;
    if (object_->get_accChild(Child(child), &dispatch) == S_OK && dispatch) {
      dispatch->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&result.object_));
      dispatch->Release();
    }
    return result;
  }
  Accessible(Accessible&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }

 private:
  Accessible() = default;
  std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long child) const {
    BSTR text = nullptr;
    (object_->*get)(Child(child), &text);
    std::wstring result = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
    ::SysFreeString(text);
    return result;
  }
  long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long child) const {
    VARIANT v;
    ::VariantInit(&v);
    if ((object_->*get)(Child(child), &v) != S_OK || v.vt != VT_I4) return -1;
    return v.lVal;
  }

  IAccessible* object_ = nullptr;
};

std::wstring Wide(const WString& s) { return std::wstring(s.begin(), s.end()); }

class MainWindowAccessibility : public MainWindowFixture {
 protected:
  void SetUp() override {
    comReady = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    MainWindowFixture::SetUp();
  }
  void TearDown() override {
    MainWindowFixture::TearDown();
    if (comReady) ::CoUninitialize();
  }
  bool comReady = false;
};

TEST_F(MainWindowAccessibility, TheGridsAreTablesWhoseRowsCarryTheCellsTexts) {
  ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
  gui::StringGrid& grid = window->DeviceInfoGrid();
  ASSERT_EQ(grid.RowCount(), 25);

  Accessible table(grid.Handle());
  ASSERT_TRUE(table);
  EXPECT_EQ(table.Role(), ROLE_SYSTEM_TABLE);
  EXPECT_EQ(table.Name(), L"Driver Properties");
  ASSERT_EQ(table.ChildCount(), 25);
  EXPECT_EQ(table.Role(1), ROLE_SYSTEM_COLUMNHEADER);
  EXPECT_EQ(table.Name(1), L"Property Name, Property Value");
  for (int row = 1; row < grid.RowCount(); ++row) {
    EXPECT_EQ(table.Role(row + 1), ROLE_SYSTEM_ROW) << row;
    EXPECT_EQ(table.Name(row + 1), Wide(grid.Cell(0, row))) << row;
    EXPECT_EQ(table.Value(row + 1), Wide(grid.Cell(1, row))) << row;
  }
  EXPECT_EQ(table.Name(2), L"Class");
  EXPECT_EQ(table.Selection(), 2);  // the first row below the header
  EXPECT_TRUE(table.State(2) & STATE_SYSTEM_SELECTED);

  // Each row is an object whose cells are named by their column headers.
  const Accessible row = table.ChildObject(6);  // "Instance Id"
  ASSERT_TRUE(row);
  EXPECT_EQ(row.Role(), ROLE_SYSTEM_ROW);
  EXPECT_EQ(row.Name(), L"Instance Id");
  ASSERT_EQ(row.ChildCount(), 2);
  EXPECT_EQ(row.Role(1), ROLE_SYSTEM_CELL);
  EXPECT_EQ(row.Name(1), L"Property Name");
  EXPECT_EQ(row.Value(1), L"Instance Id");
  EXPECT_EQ(row.Name(2), L"Property Value");
  EXPECT_EQ(row.Value(2), Wide(grid.Cell(1, 5)));
  EXPECT_FALSE(row.Value(2).empty());

  Accessible files(window->FilesGrid().Handle());
  ASSERT_TRUE(files);
  EXPECT_EQ(files.Name(), L"Driver Files");
  EXPECT_EQ(files.ChildCount(), window->FilesGrid().RowCount());
  EXPECT_EQ(files.Name(1), L"File, Sub Directory");
}

TEST_F(MainWindowAccessibility, ToolbarButtonsArePushButtonsNamedByTheirCaptions) {
  ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
  const wchar_t* captions[] = {L"Scan Hardware", L"Verify Signatures", L"Export Driver", L"Export All",
                               L"Prepare NAVU Submission"};
  const wchar_t* shortcuts[] = {L"Alt+S", L"Alt+V", L"Alt+E", L"Alt+A", L"Alt+P"};
  for (int i = 0; i < layout::kToolbarButtonCount; ++i) {
    Accessible button(window->ToolbarButton(layout::ToolbarButtonIndex(i)).Handle());
    ASSERT_TRUE(button) << i;
    EXPECT_EQ(button.Role(), ROLE_SYSTEM_PUSHBUTTON) << i;
    EXPECT_EQ(button.Name(), captions[i]) << i;
    EXPECT_EQ(button.Shortcut(), shortcuts[i]) << i;
  }
  // The panel button's arrow means nothing read aloud: its hint names it.
  Accessible panel(window->InfoPanelButton().Handle());
  EXPECT_EQ(panel.Name(), L"Expand the information panel");

  // A screen reader's "press" runs the command.
  const size_t before = os.dialogs.shown.size();
  Accessible verify(window->ToolbarButton(layout::kVerify).Handle());
  EXPECT_EQ(verify.DoDefaultAction(), S_OK);
  EXPECT_EQ(os.dialogs.shown.size(), before + 1);
  window->btnVerify().SetEnabled(false);
  EXPECT_TRUE(verify.State() & STATE_SYSTEM_UNAVAILABLE);
}

TEST(ProgressWindowAccessibility, IsAProgressBarNamedByItsTitleWithItsCaptionAsValue) {
  const bool comReady = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  {
    OwnerWindow owner;
    auto view = CreateWin32ProgressWindow(owner.Get());
    view->SetTitleLabel(u"Exporting Drivers");
    view->DrawCentredText({10, 91, 442, 109}, u"3 / 10", 10);
    Accessible bar(FindThreadWindow(gui::kProgressWindowClass));
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar.Role(), ROLE_SYSTEM_PROGRESSBAR);
    EXPECT_EQ(bar.Name(), L"Exporting Drivers");
    EXPECT_EQ(bar.Value(), L"3 / 10");
  }
  if (comReady) ::CoUninitialize();
}

}  // namespace
}  // namespace gui_test
