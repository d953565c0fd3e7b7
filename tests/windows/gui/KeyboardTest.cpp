// The main window without a mouse: keys reach the window through its own message
// handling (the keyboard step of its loop, then TranslateMessage/DispatchMessage),
// posted to the control with the focus as the keyboard would send them.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "app/win32/AboutWindow.h"
#include "windows/gui/GuiFixture.h"
#include "windows/gui/ThreadWindows.h"

namespace gui_test {
namespace {

constexpr const char16_t* kVerifyFailed = u"Verify completed with errors. See Shell output for details.";

class MainWindowKeyboard : public MainWindowFixture {
 protected:
  static void SetShift(bool down) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
  }
  HWND Focus() const {
    HWND focus = ::GetFocus();
    return focus ? focus : Main();
  }
  // Pressed and released on the control with the focus; the window handles both.
  void Key(WPARAM key, bool shift = false) {
    SetShift(shift);
    HWND target = Focus();
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 1 | kKeyUp);
    window->ProcessMessages();
    SetShift(false);
  }
  // Alt and a letter: the system sends them as system keys.
  void AltKey(WPARAM letter) {
    PostAltKey(Focus(), letter);
    window->ProcessMessages();
  }
  std::vector<RecordedMessage> ShownSince(size_t before) const {
    return {os.dialogs.shown.begin() + std::ptrdiff_t(before), os.dialogs.shown.end()};
  }
};

TEST_F(MainWindowKeyboard, KeysAloneSelectADeviceVerifyItAndOpenAbout) {
  Start();
  ASSERT_EQ(::GetFocus(), window->Tree().Handle());  // the keyboard starts in the tree
  const view::NodeId device = FirstDeviceNode();
  ASSERT_NE(device, view::kNoNode);

  // Nothing is selected after the scan: the first key lands on the root; Down:
  // the first class; Right: open it; Down: its first device.
  Key(VK_DOWN);
  EXPECT_EQ(window->Tree().Selected(), window->Tree().Children(view::kNoNode).front());
  Key(VK_DOWN);
  EXPECT_EQ(window->Tree().Selected(), FirstClassNode());
  Key(VK_RIGHT);
  Key(VK_DOWN);
  ASSERT_EQ(window->Tree().Selected(), device);
  EXPECT_EQ(window->DeviceInfoGrid().RowCount(), 25);  // tvDevicesChange showed it
  EXPECT_TRUE(window->btnVerify().Enabled());

  // Enter on a device node opens its Properties.
  Key(VK_RETURN);
  ASSERT_EQ(os.programs.started.size(), 1u);
  EXPECT_NE(os.programs.started[0].find(u"DeviceProperties_RunDLL"), WString::npos);

  // Alt+V: Verify Signatures.
  const size_t before = os.dialogs.shown.size();
  AltKey('V');
  const auto shown = ShownSince(before);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, kVerifyFailed);
  EXPECT_EQ(window->OutputBox().Text().rfind(u"*** Verifying Driver ***\r\n", 0), 0u);

  // Alt+F opens File (its text has no marked letter: the first letter picks it),
  // A picks About; Escape closes About again.
  Watchdog watchdog(std::chrono::seconds(60));
  bool aboutShown = false;
  RepeatUntilDone pickAbout(20, [] {
    HWND menu = ::FindWindowW(L"#32768", nullptr);
    if (!menu || !::IsWindowVisible(menu)) return false;
    ::PostMessageW(menu, WM_KEYDOWN, 'A', 1);
    return true;
  });
  RepeatUntilDone closeAbout(20, [&aboutShown] {
    HWND about = FindThreadWindow(gui::kAboutWindowClass);
    if (!about || !::IsWindowVisible(about)) return false;
    aboutShown = true;
    ::PostMessageW(about, WM_KEYDOWN, VK_ESCAPE, 1);
    return true;
  });
  AltKey('F');
  for (int i = 0; i < 250 && !closeAbout.Done(); ++i) {
    ::Sleep(20);
    window->ProcessMessages();
  }
  EXPECT_TRUE(pickAbout.Done()) << "the File menu did not open";
  EXPECT_TRUE(aboutShown) << "About did not open";
  EXPECT_TRUE(::IsWindowEnabled(Main()));  // its modal run gave the window back
}

TEST_F(MainWindowKeyboard, TabCyclesThroughThePanesAndTheButtonsAndShiftTabGoesBack) {
  ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
  ASSERT_EQ(::GetFocus(), window->Tree().Handle());
  // Until the keyboard is used, access keys and focus marks stay hidden (unless
  // the user's setting shows keyboard cues always).
  HWND scan = window->ToolbarButton(layout::kScan).Handle();
  BOOL cuesAlways = FALSE;
  ::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cuesAlways, 0);
  // (Wine's default is to show them always.)
  if (!cuesAlways) {
    EXPECT_EQ(::SendMessageW(scan, WM_QUERYUISTATE, 0, 0) & (UISF_HIDEACCEL | UISF_HIDEFOCUS),
              UISF_HIDEACCEL | UISF_HIDEFOCUS);
  }
  Key(VK_TAB);
  EXPECT_EQ(::GetFocus(), window->DeviceInfoGrid().Handle());
  Key(VK_TAB);
  EXPECT_EQ(::GetFocus(), window->FilesGrid().Handle());
  Key(VK_TAB);
  EXPECT_EQ(::GetFocus(), window->InfoPanelButton().Handle());
  // The start-up collapsed the tabs: Tab goes round to the toolbar.
  Key(VK_TAB);
  EXPECT_EQ(::GetFocus(), window->ToolbarButton(layout::kScan).Handle());
  Key(VK_TAB, true);
  EXPECT_EQ(::GetFocus(), window->InfoPanelButton().Handle());

  // Space on the panel button shows the tabs; then the tab control and its text box follow.
  Key(VK_SPACE);
  EXPECT_EQ(window->btnInfoPanel().Tag(), 0);
  Key(VK_TAB);
  EXPECT_EQ(::GetFocus(), window->Pages().Handle());
  Key(VK_TAB);
  EXPECT_EQ(::GetFocus(), window->InfFileBox().Handle());
  Key(VK_TAB);
  EXPECT_EQ(::GetFocus(), window->ToolbarButton(layout::kScan).Handle());
  // A focused toolbar button shows its focus mark now that the keyboard is in use.
  EXPECT_FALSE(::SendMessageW(scan, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

TEST_F(MainWindowKeyboard, EnterOnAFocusedButtonAndF5Scan) {
  ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
  ::SetFocus(window->ToolbarButton(layout::kVerify).Handle());
  const size_t before = os.dialogs.shown.size();
  Key(VK_RETURN);
  ASSERT_EQ(ShownSince(before).size(), 1u);
  EXPECT_EQ(ShownSince(before)[0].text, kVerifyFailed);

  // F5 scans again: the tree is rebuilt and nothing is selected any more.
  ::SetFocus(window->Tree().Handle());
  Key(VK_F5);
  EXPECT_EQ(window->Tree().Selected(), view::kNoNode);
  EXPECT_NE(FirstDeviceNode(), view::kNoNode);
}

}  // namespace
}  // namespace gui_test
