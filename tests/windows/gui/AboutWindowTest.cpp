// The Win32 About window under Wine: its layout, the version line the logic
// sets, and its modal run, which must always end and give the owner back.
#include <windows.h>

#include <gtest/gtest.h>

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
using gui_test::WindowText;

class AboutWindow : public ::testing::Test {
 protected:
  AboutWindow() { platform.system = system.get(); }

  static HWND Window() { return FindThreadWindow(gui::kAboutWindowClass); }
  static HWND Control(int id) { return ::GetDlgItem(Window(), id); }
  // Runs `action` from inside the modal loop once the window shows.
  static RepeatUntilDone WhenShown(std::function<void()> action) {
    return RepeatUntilDone(20, [action] {
      if (!Window() || !::IsWindowVisible(Window())) return false;
      action();
      return true;
    });
  }

  std::unique_ptr<ports::ISystem> system = win32::MakeSystem();
  Platform platform;
  ScopedPlatform installed{platform};
  OwnerWindow owner;
  gui_test::Watchdog watchdog{std::chrono::seconds(20)};
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
  EXPECT_EQ(WindowText(Control(gui::kAboutCloseId)), L"X");
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
}

TEST_F(AboutWindow, ShowsTheVersionLineWhileModalAndGivesTheOwnerBackWhenXIsPressed) {
  TfrmAbout about(CreateWin32AboutWindow(owner.Get()));
  bool ownerDisabled = false;
  std::wstring versionLine;
  auto look = WhenShown([&] {
    ownerDisabled = !::IsWindowEnabled(owner.Get());
    versionLine = WindowText(Control(gui::kAboutVersionId));
    gui_test::Click(Control(gui::kAboutCloseId));
  });
  about.ShowModal();
  ASSERT_TRUE(look.Done());
  EXPECT_TRUE(ownerDisabled);
  // The test exe carries no version resource: the line ends after the colon.
  EXPECT_EQ(versionLine, L"Quillon Version: ");
  EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
  EXPECT_FALSE(::IsWindowVisible(Window()));
}

TEST_F(AboutWindow, AltF4AndEscapeEndTheModalRunToo) {
  auto about = CreateWin32AboutWindow(owner.Get());
  auto altF4 = WhenShown([] { ::SendMessageW(Window(), WM_SYSCOMMAND, SC_CLOSE, 0); });
  about->ShowModal();
  EXPECT_TRUE(altF4.Done());
  auto escape = WhenShown([] { ::PostMessageW(Control(gui::kAboutCloseId), WM_KEYDOWN, VK_ESCAPE, 0); });
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
  auto quit = WhenShown([] { ::PostQuitMessage(7); });
  about->ShowModal();
  EXPECT_TRUE(quit.Done());
  EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
  MSG msg{};
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
