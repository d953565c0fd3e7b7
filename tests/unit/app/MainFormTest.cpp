#include "app/AboutUnit.h"
#include "backup/StartupSteps.h"
#include "tests/unit/app/AppTestMachine.h"

namespace {

class MainForm : public apptest::AppTest {
 protected:
  void SetUp() override {
    Write("machine.ini", "[machine]\nHeldPrivileges=SeDebugPrivilege\n");
    Start();
    form->FormCreate();
  }
};

TEST_F(MainForm, ShellOutputCollapsesCrCrPairsInOnePass) {
  form->AppendShellOutput(u"a\r\r\r\nb");
  EXPECT_EQ(view.output.Text(), u"a\r\r\nb");
  form->AppendShellOutput(u"\r\r\r\r");
  EXPECT_EQ(view.output.Text(), u"a\r\r\nb\r\r");
}

TEST_F(MainForm, ShellOutputReplacesTheSelectionAndLandsAfterLines) {
  view.output.LinesAdd(u"*** Verifying Driver ***\r\n");
  form->AppendShellOutput(u"Catalog    : x\r\n");
  EXPECT_EQ(view.output.Text(), u"*** Verifying Driver ***\r\n\r\nCatalog    : x\r\n");
  view.output.Select(0, 3);
  form->AppendShellOutput(u"###");
  EXPECT_EQ(view.output.Text().substr(0, 6), u"### Ve");
}

TEST_F(MainForm, InfoPanelToggleGivesTheTabsNothingOrThreeHundredPixels) {
  form->btnInfoPanelClick();
  EXPECT_EQ(view.panels.propertiesHeight, 556 - 24 - 5);
  EXPECT_EQ(view.infoPanel.Caption(), u"\u25B2");
  EXPECT_EQ(view.infoPanel.Hint(), u"Expand the information panel");
  EXPECT_EQ(view.infoPanel.Tag(), 1);

  form->btnInfoPanelClick();
  EXPECT_EQ(view.panels.TabSheetHeight(), 300);
  EXPECT_EQ(view.infoPanel.Caption(), u"\u25BC");
  EXPECT_EQ(view.infoPanel.Hint(), u"Shrink the information panel");
  EXPECT_EQ(view.infoPanel.Tag(), 0);
}

TEST_F(MainForm, ResizeReappliesThePanelLayoutWithoutChangingIt) {
  form->btnInfoPanelClick();  // collapsed, as after start-up
  view.panels.panel5Height = 700;
  form->FormResize();
  EXPECT_EQ(view.infoPanel.Tag(), 1);
  EXPECT_EQ(view.panels.TabSheetHeight(), 0);

  form->btnInfoPanelClick();  // shown
  view.panels.panel5Height = 500;
  form->FormResize();
  EXPECT_EQ(view.infoPanel.Tag(), 0);
  EXPECT_EQ(view.panels.TabSheetHeight(), 300);
}

TEST_F(MainForm, ShownTabsNeverGiveThePropertiesANegativeHeight) {
  view.panels.panel5Height = 200;
  form->btnInfoPanelClick();
  form->btnInfoPanelClick();
  EXPECT_EQ(view.panels.propertiesHeight, 0);
}

TEST_F(MainForm, ScaleToMonitorTruncates) {
  EXPECT_EQ(form->ScaleToMonitor(19), 19);
  view.dpi = 120;
  EXPECT_EQ(form->ScaleToMonitor(9), 11);  // 11.25
  view.dpi = 144;
  EXPECT_EQ(form->ScaleToMonitor(19), 28);  // 28.5
}

TEST_F(MainForm, ProgressWindowIsMadeOnceRetitledAndClosedSafely) {
  form->SetProgressText(u"nobody sees this");
  EXPECT_EQ(view.progress, nullptr);
  std::vector<std::string> events;
  view.progressEvents.titled = [&](const WString& t) { events.push_back("title " + text::ToUtf8(t)); };
  view.progressEvents.closed = [&] { events.push_back("closed"); };

  form->ShowProgress(u"Scanning Hardware");
  memview::MemoryProgressWindow* first = view.progress;
  ASSERT_NE(first, nullptr);
  form->SetProgressText(u"Device 1");
  EXPECT_EQ(first->textLabel, u"Device 1");
  form->ShowProgress(u"Exporting Driver");
  EXPECT_EQ(view.progress, first);
  EXPECT_EQ(first->textLabel, u"");  // a new title clears the text line

  form->CloseProgress();
  EXPECT_EQ(form->frmProgress(), nullptr);
  EXPECT_EQ(view.progress, nullptr);
  form->CloseProgress();
  EXPECT_EQ(events, (std::vector<std::string>{"title Scanning Hardware", "title Exporting Driver", "closed"}));
}

TEST_F(MainForm, StartUpCollapsesTheTabsAndScansAfterTheWindowIsShown) {
  view.onStartupMessage = [&] { form->StartupMessage(); };
  view.pages.SetActivePage(view::Page::tsOutput);
  form->FormShow();
  EXPECT_EQ(view.pages.ActivePage(), view::Page::tsInfFile);
  EXPECT_EQ(view.postedStartupMessages, 1);
  EXPECT_TRUE(dialogs.shown.empty());  // posted, not yet run

  view.ProcessMessages();
  EXPECT_EQ(view.infoPanel.Tag(), 1);
  ASSERT_EQ(dialogs.shown.size(), 1u);  // this machine has no devices
  EXPECT_EQ(dialogs.shown[0].first, ports::MessageKind::Warning);
  EXPECT_EQ(dialogs.shown[0].second, u"No installed drivers were found!?!?");
  EXPECT_EQ(view.tree.Count(), 0);
  EXPECT_EQ(form->frmProgress(), nullptr);
  EXPECT_FALSE(view.exportAll.Enabled());
}

TEST_F(MainForm, QuitClosesTheWindowAndAboutShowsTheVersionLine) {
  form->btnQuitClick();
  EXPECT_TRUE(view.closed);
  form->mnuAboutClick();
  // The offline machine's executable has no version resource.
  EXPECT_EQ(view.aboutVersionLines, std::vector<WString>{u"Quillon Version: "});
}

TEST_F(MainForm, PrivilegeStepReportsWhetherTheTokenHoldsThePrivilege) {
  EXPECT_TRUE(SetProcessPrivilege(u"seDebugPrivilege", true));
  EXPECT_FALSE(SetProcessPrivilege(u"SeTcbPrivilege", true));
  EXPECT_FALSE(SetProcessPrivilege(u"NoSuchPrivilege", true));
}

}  // namespace
