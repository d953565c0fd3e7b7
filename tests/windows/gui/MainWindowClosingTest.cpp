// Closing the real window under Wine while a command runs: the keys and the menu
// command arrive, as the user gives them, while the command keeps the window
// answering; the window asks, and closes only on Yes, once the command stopped.
#include <windows.h>

#include <gtest/gtest.h>

#include "windows/gui/GuiFixture.h"

namespace gui_test {
namespace {

constexpr const char16_t* kQuestion = u"A command is still running. Stop it after the current file and close?";
constexpr const char16_t* kVerifyFailed = u"Verify completed with errors. See Shell output for details.";
constexpr LPARAM kAltDown = LPARAM(1) << 29;

class MainWindowClosing : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
    shownBefore = os.dialogs.shown.size();
  }
  void TearDown() override {
    MSG quit;
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the closed window's, if any
    MainWindowFixture::TearDown();
  }
  // Alt and a letter as the window receives them once translated: the access key's
  // WM_SYSCHAR, posted to the control with the focus.
  void PostAccessKey(char16_t letter) {
    ::PostMessageW(::GetFocus() ? ::GetFocus() : Main(), WM_SYSCHAR, letter, 1 | kAltDown);
  }
  // What Alt+F4 and the close box give the window. (Wine's DefWindowProc does not
  // turn a posted WM_SYSKEYDOWN of F4 into it, so the test posts the command itself.)
  void PostCloseCommand() { ::PostMessageW(Main(), WM_SYSCOMMAND, SC_CLOSE, 0); }
  void PostCommand(UINT id) { ::PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  std::vector<WString> ShownSince() const {
    std::vector<WString> texts;
    for (size_t i = shownBefore; i < os.dialogs.shown.size(); ++i) texts.push_back(os.dialogs.shown[i].text);
    return texts;
  }

  size_t shownBefore = 0;
};

TEST_F(MainWindowClosing, AltF4WhileVerifyRunsAsksAndYesStopsTheCommandThenCloses) {
  os.dialogs.answer = true;
  // Alt+V starts Verify Signatures; the Alt+F4 typed after it is handled while it runs.
  PostAccessKey(u'v');
  PostCloseCommand();
  window->ProcessMessages();

  EXPECT_EQ(os.dialogs.questions, std::vector<WString>{kQuestion});
  EXPECT_TRUE(ShownSince().empty());  // the stopped command gives no verdict
  EXPECT_FALSE(window->Form().CommandRunning());
  EXPECT_EQ(window->Form().frmProgress(), nullptr);
  EXPECT_TRUE(window->Closed());
  EXPECT_FALSE(::IsWindowVisible(Main()));
}

TEST_F(MainWindowClosing, FileExitWhileVerifyRunsAndNoLetsItFinishAndStartsNothingElse) {
  os.dialogs.answer = false;
  PostCommand(gui::kMenuVerify);
  PostCommand(gui::kMenuQuit);    // File > Exit while Verify runs
  PostCommand(gui::kMenuVerify);  // a second command meanwhile is not started
  window->ProcessMessages();

  EXPECT_EQ(os.dialogs.questions, std::vector<WString>{kQuestion});
  EXPECT_EQ(ShownSince(), std::vector<WString>{kVerifyFailed});  // one verify, finished
  EXPECT_FALSE(window->Closed());
  EXPECT_TRUE(::IsWindowVisible(Main()));

  // Once it is over the window closes unasked.
  PostCloseCommand();
  window->ProcessMessages();
  EXPECT_EQ(os.dialogs.questions.size(), 1u);
  EXPECT_TRUE(window->Closed());
}

}  // namespace
}  // namespace gui_test
