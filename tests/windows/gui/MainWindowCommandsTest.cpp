// Verify Signatures and Export Driver run through the real window under Wine,
// with the folder picker answered by the test. Wine's driver-store lookup is a
// stub, so every device has no package folder: each check fails, and says so.
#include <windows.h>

#include <gtest/gtest.h>

#include "windows/gui/GuiFixture.h"

namespace gui_test {
namespace {

constexpr const char16_t* kVerifyFailed = u"Verify completed with errors. See Shell output for details.";

class MainWindowCommands : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Start();
    ASSERT_NE(FirstDeviceNode(), view::kNoNode);
    UserSelects(FirstDeviceNode());
    shownBefore = os.dialogs.shown.size();
  }
  // The toolbar button as the mouse clicks it.
  void ClickButton(layout::ToolbarButtonIndex index) { Click(window->ToolbarButton(index).Handle()); }
  std::vector<RecordedMessage> ShownSince() const {
    return {os.dialogs.shown.begin() + std::ptrdiff_t(shownBefore), os.dialogs.shown.end()};
  }

  size_t shownBefore = 0;
};

TEST_F(MainWindowCommands, VerifyReportsInTheShellTabAndClosesItsProgressWindow) {
  ClickButton(layout::kVerify);
  const auto shown = ShownSince();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, ports::MessageKind::Error);
  EXPECT_EQ(shown[0].text, kVerifyFailed);
  EXPECT_EQ(window->Pages().ActivePage(), view::Page::tsOutput);
  EXPECT_TRUE(::IsWindowVisible(window->OutputBox().Handle()));
  EXPECT_FALSE(::IsWindowVisible(window->InfFileBox().Handle()));
  EXPECT_EQ(window->OutputBox().Text().rfind(u"*** Verifying Driver ***\r\n", 0), 0u)
      << text::ToUtf8(window->OutputBox().Text());
  EXPECT_EQ(window->Form().frmProgress(), nullptr);
  EXPECT_EQ(picker.runs, 0);  // verifying picks no folder
}

TEST_F(MainWindowCommands, TheVerifyMenuItemRunsTheSameCommand) {
  Command(gui::kMenuVerify);
  const auto shown = ShownSince();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, kVerifyFailed);
}

TEST_F(MainWindowCommands, ExportAsksForAFolderVerifiesAndStopsAtTheFailedCheck) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"quillon-gui-export-" + std::to_wstring(::GetCurrentProcessId());
  ::CreateDirectoryW(folder.c_str(), nullptr);
  picker.answer = WString(folder.begin(), folder.end());

  ClickButton(layout::kExport);
  EXPECT_EQ(picker.runs, 1);
  const auto shown = ShownSince();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, ports::MessageKind::Error);
  EXPECT_EQ(shown[0].text, kVerifyFailed);
  EXPECT_EQ(window->OutputBox().Text().rfind(u"*** Verifying Driver ***\r\n", 0), 0u);
  EXPECT_EQ(window->OutputBox().Text().find(u"*** Exporting Driver ***"), WString::npos);
  EXPECT_EQ(window->Form().frmProgress(), nullptr);
  // The picker remembers the chosen folder for the next command.
  ASSERT_NE(window->Form().dlg(), nullptr);
  EXPECT_EQ(window->Form().dlg()->DefaultFolder(), *picker.answer);
  EXPECT_TRUE(os.programs.started.empty());  // no Explorer without an archive
  // Nothing was written into the chosen folder.
  EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));

  // The popup menu's item reuses the same picker.
  Command(gui::kMenuExport);
  EXPECT_EQ(picker.runs, 2);
  ::RemoveDirectoryW(folder.c_str());
}

TEST_F(MainWindowCommands, ACancelledPickerEndsTheExportQuietly) {
  picker.answer.reset();
  window->OutputBox().LinesAdd(u"earlier log");
  ClickButton(layout::kExport);
  EXPECT_EQ(picker.runs, 1);
  EXPECT_TRUE(ShownSince().empty());
  EXPECT_EQ(window->OutputBox().Text(), u"earlier log\r\n");
  EXPECT_EQ(window->Form().frmProgress(), nullptr);
}

TEST_F(MainWindowCommands, ADisabledButtonIgnoresTheMouse) {
  UserSelects(FirstClassNode());
  ASSERT_FALSE(window->btnVerify().Enabled());
  ClickButton(layout::kVerify);
  EXPECT_TRUE(ShownSince().empty());
  EXPECT_EQ(window->OutputBox().Text(), u"");
}

}  // namespace
}  // namespace gui_test
