// The Win32 About window under Wine: its layout, the version line the logic
// sets, and its modal run, which must always end and give the owner back.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "app/AboutUnit.h"
#include "app/win32/AboutWindow.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "platform/win32/Adapters.h"
#include "windows/gui/ThreadWindows.h"

namespace {

using gui_test::FindThreadWindow;
using gui_test::OwnerWindow;
using gui_test::PlacedRect;
using gui_test::RepeatUntilDone;
using gui_test::Watchdog;
using gui_test::WindowText;

class AboutWindow : public ::testing::Test {
 protected:
  AboutWindow() { platform.system = system.get(); }

  static HWND Window() { return FindThreadWindow(gui::kAboutWindowClass); }
  static HWND Control(int id) { return ::GetDlgItem(Window(), id); }
  // Runs `whileShown` from inside the modal loop, then presses "X".
  void ShowModalThen(view::IAboutWindowView& about, std::function<void()> whileShown) {
    RepeatUntilDone act(20, [&] {
      if (!Window() || !::IsWindowVisible(Window())) return false;
      whileShown();
      gui_test::Click(Control(gui::kAboutCloseId));
      return true;
    });
    about.ShowModal();
    EXPECT_TRUE(act.Done());
  }

  std::unique_ptr<ports::ISystem> system = win32::MakeSystem();
  Platform platform;
  ScopedPlatform installed{platform};
  OwnerWindow owner;
  Watchdog watchdog{std::chrono::seconds(20)};
};

TEST_F(AboutWindow, IsABorderlessTopmostPopupWithTheLayoutsControls) {
  auto about = CreateWin32AboutWindow(owner.Get());
  HWND hwnd = Window();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_FALSE(::IsWindowVisible(hwnd));  // until it runs modally
  EXPECT_EQ(::GetWindow(hwnd, GW_OWNER), owner.Get());
  EXPECT_FALSE(::GetWindowLongW(hwnd, GWL_STYLE) & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME));
  EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT client{};
  ::GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 452);
  EXPECT_EQ(client.bottom, 119);

  EXPECT_EQ(WindowText(Control(gui::kAboutTitleId)), L"Quillon Driver Backup");
  EXPECT_EQ(WindowText(Control(gui::kAboutCreditId)), L"Made by the Quillon team");
  struct Expected {
    int id, left, top, width, height;
  };
  for (const Expected& e : {Expected{gui::kAboutTitleId, 96, 16, 344, 25}, Expected{gui::kAboutVersionId, 96, 43, 344, 27},
                            Expected{gui::kAboutCreditId, 96, 73, 344, 22}, Expected{gui::kAboutCloseId, 423, 0, 23, 22}}) {
    const RECT r = PlacedRect(Control(e.id));
    EXPECT_EQ(r.left, e.left) << "control " << e.id;
    EXPECT_EQ(r.top, e.top) << "control " << e.id;
    EXPECT_EQ(r.right - r.left, e.width) << "control " << e.id;
    EXPECT_EQ(r.bottom - r.top, e.height) << "control " << e.id;
  }
  EXPECT_EQ(WindowText(Control(gui::kAboutCloseId)), L"X");
}

TEST_F(AboutWindow, ShowsTheVersionLineWhileModalAndGivesTheOwnerBackWhenXIsPressed) {
  TfrmAbout about(CreateWin32AboutWindow(owner.Get()));
  bool ownerDisabled = false;
  std::wstring versionLine;
  RepeatUntilDone act(20, [&] {
    if (!Window() || !::IsWindowVisible(Window())) return false;
    ownerDisabled = !::IsWindowEnabled(owner.Get());
    versionLine = WindowText(Control(gui::kAboutVersionId));
    gui_test::Click(Control(gui::kAboutCloseId));
    return true;
  });
  about.ShowModal();
  ASSERT_TRUE(act.Done());
  EXPECT_TRUE(ownerDisabled);
  // The test exe carries no version resource: the line ends after the colon.
  EXPECT_EQ(versionLine, L"Quillon Version: ");
  EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
  EXPECT_FALSE(::IsWindowVisible(Window()));
}

TEST_F(AboutWindow, CloseRequestsEndTheModalRun) {
  auto about = CreateWin32AboutWindow(owner.Get());
  ShowModalThen(*about, [] {});  // the "X" button
  RepeatUntilDone altF4(20, [] {
    if (!Window() || !::IsWindowVisible(Window())) return false;
    ::SendMessageW(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
  });
  about->ShowModal();
  EXPECT_TRUE(altF4.Done());
  RepeatUntilDone escape(20, [] {
    if (!Window() || !::IsWindowVisible(Window())) return false;
    ::PostMessageW(Control(gui::kAboutCloseId), WM_KEYDOWN, VK_ESCAPE, 0);
    return true;
  });
  about->ShowModal();
  EXPECT_TRUE(escape.Done());
  EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
}

TEST_F(AboutWindow, ACloseSentFromAnotherThreadWakesTheModalLoop) {
  auto about = CreateWin32AboutWindow(owner.Get());
  HWND hwnd = Window();
  std::thread closer([hwnd] {
    while (!::IsWindowVisible(hwnd)) ::Sleep(10);
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
  });
  about->ShowModal();
  closer.join();
  EXPECT_FALSE(::IsWindowVisible(hwnd));
}

TEST_F(AboutWindow, QuitDuringTheModalRunEndsItAndStaysQueuedForTheMainLoop) {
  auto about = CreateWin32AboutWindow(owner.Get());
  RepeatUntilDone quit(20, [] {
    if (!Window() || !::IsWindowVisible(Window())) return false;
    ::PostQuitMessage(7);
    return true;
  });
  about->ShowModal();
  EXPECT_TRUE(quit.Done());
  EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
  MSG msg{};
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(AboutWindow, AnOwnerDisabledBeforehandStaysDisabled) {
  ::EnableWindow(owner.Get(), FALSE);
  auto about = CreateWin32AboutWindow(owner.Get());
  ShowModalThen(*about, [] {});
  EXPECT_FALSE(::IsWindowEnabled(owner.Get()));
}

TEST(FileVersionText, ReadsTheFourPartsOfASystemLibrarysVersion) {
  std::unique_ptr<ports::ISystem> system = win32::MakeSystem();
  Platform platform;
  platform.system = system.get();
  ScopedPlatform installed(platform);
  wchar_t path[MAX_PATH];
  ::GetSystemDirectoryW(path, MAX_PATH);
  const WString kernel = reinterpret_cast<const char16_t*>(path) + WString(u"\\kernel32.dll");
  const WString version = GetFileVersionText(kernel);
  EXPECT_EQ(std::count(version.begin(), version.end(), u'.'), 3) << text::ToUtf8(version);
  EXPECT_EQ(GetFileVersionText(u"C:\\no\\such\\file.dll"), u"");
}

}  // namespace
