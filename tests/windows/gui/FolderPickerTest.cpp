// The folder picker under Wine: the real system dialog opens and is closed from
// inside its own modal loop; a watchdog ends the run should it ever stay open.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include "app/win32/FolderPicker.h"
#include "windows/gui/ThreadWindows.h"

namespace {

using gui_test::FindThreadWindow;
using gui_test::OwnerWindow;
using gui_test::RepeatUntilDone;
using gui_test::Watchdog;
using gui_test::WindowText;

class FolderPicker : public ::testing::Test {
 protected:
  // Waits for the dialog, notes its caption, types `typed` (if any) into its
  // name box and presses `button`. Should the dialog stay, it is cancelled a
  // couple of seconds later, so that the case fails instead of waiting.
  RepeatUntilDone Press(int button, std::wstring typed = L"") {
    return RepeatUntilDone(50, [this, button, typed, ticksSincePress = -1]() mutable {
      HWND dialog = FindThreadWindow(L"#32770");
      if (!dialog || !::IsWindowVisible(dialog)) return false;
      if (ticksSincePress < 0) {
        caption = WindowText(dialog);
        if (!typed.empty()) ::SetWindowTextW(FindThreadWindow(L"Edit", dialog), typed.c_str());
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        ticksSincePress = 0;
        pressed = true;
      } else if (++ticksSincePress == 40) {
        stayedOpen = true;
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
      }
      return false;
    });
  }

  OwnerWindow owner;
  Watchdog watchdog{std::chrono::seconds(60)};
  std::wstring caption;
  bool pressed = false;
  bool stayedOpen = false;
};

TEST_F(FolderPicker, CancelReturnsFalseAndKeepsTheLastChoice) {
  auto dlg = CreateWin32FolderPicker(owner.Get());
  dlg->SetTitle(u"Select Output Folder");
  dlg->SetDefaultFolder(u"C:\\no such folder\\gone");  // not an error: the dialog opens elsewhere
  EXPECT_EQ(dlg->Title(), u"Select Output Folder");
  auto cancel = Press(IDCANCEL);
  EXPECT_FALSE(dlg->Execute());
  ASSERT_TRUE(pressed);
  EXPECT_FALSE(stayedOpen);
  EXPECT_EQ(caption, L"Select Output Folder");
  EXPECT_EQ(dlg->FileName(), u"");
}

TEST_F(FolderPicker, ChoosingOpensInTheDefaultFolderAndReturnsItsPath) {
  wchar_t windows[MAX_PATH];
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  auto dlg = CreateWin32FolderPicker(owner.Get());
  dlg->SetDefaultFolder(reinterpret_cast<const char16_t*>(windows));
  auto choose = Press(IDOK, windows);
  ASSERT_TRUE(dlg->Execute());
  ASSERT_TRUE(pressed);
  EXPECT_FALSE(stayedOpen);
  EXPECT_EQ(::lstrcmpiW(reinterpret_cast<const wchar_t*>(dlg->FileName().c_str()), windows), 0)
      << text::ToUtf8(dlg->FileName());
  EXPECT_EQ(dlg->DefaultFolder(), reinterpret_cast<const char16_t*>(windows));  // the picker leaves it alone
}

TEST_F(FolderPicker, LeavesTheThreadsOwnComInitialisationInPlace) {
  // S_FALSE when an earlier case in this process left the system dialog's own
  // initialisation behind; either way the thread now has COM of its own.
  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  auto dlg = CreateWin32FolderPicker(owner.Get());
  auto cancel = Press(IDCANCEL);
  EXPECT_FALSE(dlg->Execute());
  EXPECT_TRUE(pressed);
  // Still initialised by us: a second initialisation only counts up.
  EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  ::CoUninitialize();
  ::CoUninitialize();
}

}  // namespace
