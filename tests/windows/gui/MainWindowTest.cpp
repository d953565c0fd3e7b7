// The main window under Wine: where its controls are, what they say, and that
// user actions reach the form's handlers and come back as window state.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/win32/AboutWindow.h"
#include "windows/gui/GuiFixture.h"

namespace gui_test {
namespace {

using layout::ToolbarButtonIndex;

// The rectangles of the window's layout table at 96 DPI, before the start-up
// collapses the tabs: a 1010 x 586 client area, toolbar 30, devices 280,
// splitters 5, properties 360 (headers 26), expand strip 24, tabs the rest.
TEST_F(MainWindowFixture, PlacesEveryControlAtItsPixelsBeforeTheStartUp) {
  Create();
  RECT client;
  ::GetClientRect(Main(), &client);
  EXPECT_EQ(client.right, 1010);
  EXPECT_EQ(client.bottom, 586);
  EXPECT_EQ(Placed(window->ToolbarButton(layout::kScan).Handle()), (view::Rect{6, 0, 126, 30}));
  EXPECT_EQ(Placed(window->ToolbarButton(layout::kVerify).Handle()), (view::Rect{136, 0, 256, 30}));
  EXPECT_EQ(Placed(window->ToolbarButton(layout::kExport).Handle()), (view::Rect{266, 0, 386, 30}));
  EXPECT_EQ(Placed(window->ToolbarButton(layout::kExportAll).Handle()), (view::Rect{366, 0, 486, 30}));
  EXPECT_EQ(Placed(window->ToolbarButton(layout::kSubmit).Handle()), (view::Rect{500, 0, 659, 30}));
  EXPECT_EQ(Placed(window->Tree().Handle()), (view::Rect{3, 59, 277, 583}));
  EXPECT_EQ(Placed(window->SplitterOf(2).Handle()), (view::Rect{280, 30, 285, 586}));
  EXPECT_EQ(Placed(window->DeviceInfoGrid().Handle()), (view::Rect{285, 56, 685, 390}));
  EXPECT_EQ(Placed(window->SplitterOf(1).Handle()), (view::Rect{685, 30, 690, 390}));
  EXPECT_EQ(Placed(window->FilesGrid().Handle()), (view::Rect{690, 56, 1010, 390}));
  EXPECT_EQ(Placed(window->SplitterOf(3).Handle()), (view::Rect{285, 390, 1010, 395}));
  EXPECT_EQ(Placed(window->InfoPanelButton().Handle()), (view::Rect{987, 396, 1010, 418}));
  EXPECT_EQ(Placed(window->Pages().Handle()), (view::Rect{285, 419, 1010, 586}));
  EXPECT_EQ(window->Panels().Panel5Height(), 556);
}

TEST_F(MainWindowFixture, ShowsItsCaptionAndTheButtonsTextsAndHints) {
  Create();
  EXPECT_EQ(TextOf(Main()), L"NAVU Driver Backup");
  const wchar_t* captions[] = {L"Scan Hardware", L"Verify Signatures", L"Export Driver", L"Export All",
                               L"Prepare NAVU Submission"};
  const char16_t* hints[] = {u"Scan the system for devices", u"Verify file signatures for the selected device driver",
                             u"Export the selected device driver", u"Export all listed drivers", u""};
  for (int i = 0; i < layout::kToolbarButtonCount; ++i) {
    gui::FlatButton& button = window->ToolbarButton(ToolbarButtonIndex(i));
    EXPECT_EQ(TextOf(button.Handle()), captions[i]);
    EXPECT_EQ(window->Tips().Tip(button.Handle()), hints[i]) << i;
  }
  EXPECT_EQ(window->InfoPanelButton().Caption(), u"\u25BA");  // until the first layout of the panel
  // FormCreate set the tool tips' hide pause.
  EXPECT_EQ(window->Tips().HidePause(), 5000);
  EXPECT_EQ(window->Pages().PageCount(), 2);
  EXPECT_EQ(window->Pages().Caption(0), u"Inf File");
  EXPECT_EQ(window->Pages().Caption(1), u"Shell");
  EXPECT_EQ(window->Form().SevenZipLibraryPath(), u"");
}

TEST_F(MainWindowFixture, MenusHoldTheirItemsAndTheOptionToggles) {
  Create();
  EXPECT_EQ(gui::MenuItemText(window->MainMenu(), gui::kMenuRestore), u"Restore Drivers\u2026");
  EXPECT_EQ(gui::MenuItemText(window->MainMenu(), gui::kMenuAbout), u"About");
  EXPECT_EQ(gui::MenuItemText(window->MainMenu(), gui::kMenuQuit), u"Quit");
  EXPECT_EQ(gui::MenuItemText(window->MainMenu(), gui::kMenuIncludeMicrosoft), u"Include Microsoft Provided Drivers");
  wchar_t top[32] = {};
  ::GetMenuStringW(window->MainMenu(), 0, top, 32, MF_BYPOSITION);
  EXPECT_STREQ(top, L"File");
  ::GetMenuStringW(window->MainMenu(), 1, top, 32, MF_BYPOSITION);
  EXPECT_STREQ(top, L"Options");
  EXPECT_EQ(gui::MenuItemText(window->PopupMenu(), gui::kMenuExport), u"Export Driver");
  EXPECT_EQ(gui::MenuItemText(window->PopupMenu(), gui::kMenuVerify), u"Verify Signatures");
  EXPECT_EQ(gui::MenuItemText(window->PopupMenu(), gui::kMenuProperties), u"Properties");

  EXPECT_FALSE(window->mnuIncludeMicrosoft().Checked());
  Command(gui::kMenuIncludeMicrosoft);
  EXPECT_TRUE(window->mnuIncludeMicrosoft().Checked());
  EXPECT_TRUE(::GetMenuState(window->MainMenu(), gui::kMenuIncludeMicrosoft, MF_BYCOMMAND) & MF_CHECKED);
  Command(gui::kMenuIncludeMicrosoft);
  EXPECT_FALSE(window->mnuIncludeMicrosoft().Checked());
}

TEST_F(MainWindowFixture, IsCentredOnTheScreenWhenShown) {
  Start();
  RECT r;
  ::GetWindowRect(Main(), &r);
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(std::abs((r.left + r.right) - screenWidth), 1);
  EXPECT_LE(std::abs((r.top + r.bottom) - screenHeight), 1);
  EXPECT_TRUE(::IsWindowVisible(Main()));
  EXPECT_TRUE(::GetWindowLongW(Main(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
}

TEST_F(MainWindowFixture, StartUpCollapsesTheTabsAndScansWinesDevices) {
  Start();
  // The tabs got no room: the properties panel reaches down to the splitter.
  EXPECT_EQ(window->InfoPanelButton().Caption(), u"\u25B2");
  EXPECT_EQ(window->Tips().Tip(window->InfoPanelButton().Handle()), u"Expand the information panel");
  EXPECT_EQ(window->btnInfoPanel().Tag(), 1);
  EXPECT_EQ(Placed(window->Pages().Handle()).Height(), 0);
  EXPECT_EQ(Placed(window->InfoPanelButton().Handle()), (view::Rect{987, 563, 1010, 585}));
  EXPECT_EQ(Placed(window->DeviceInfoGrid().Handle()), (view::Rect{285, 56, 685, 557}));
  EXPECT_EQ(window->Pages().ActivePage(), view::Page::tsInfFile);

  // Wine lists the devices of its own registry: root, class nodes, device nodes.
  const auto top = window->Tree().Children(view::kNoNode);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_EQ(window->Tree().Text(top.front()), TfrmMainForm::LocalComputerName());
  EXPECT_TRUE(window->Tree().Expanded(top.front()));
  ASSERT_NE(FirstDeviceNode(), view::kNoNode);
  EXPECT_FALSE(window->Tree().Expanded(FirstClassNode()));
  EXPECT_EQ(window->Tree().Count(), int(window->Form().DeviceList().size()) + 1 +
                                        int(window->Tree().Children(top.front()).size()));
  // The scan's progress window has gone again.
  EXPECT_EQ(window->Form().frmProgress(), nullptr);
  // The command state was refreshed before the scan, on an empty tree, and not
  // since: nothing is selected and Export All waits for the next refresh.
  EXPECT_FALSE(window->btnVerify().Enabled());
  EXPECT_FALSE(window->btnExport().Enabled());
  EXPECT_FALSE(window->mnuProperties().Enabled());
  EXPECT_FALSE(window->mnuExport().Enabled());
  EXPECT_FALSE(window->btnExportAll().Enabled());
  EXPECT_TRUE(window->btnScan().Enabled());
  EXPECT_TRUE(::GetMenuState(window->PopupMenu(), gui::kMenuVerify, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MainWindowFixture, TheInfoPanelButtonGivesTheTabsThreeHundredPixelsAndTakesThemBack) {
  Start();
  Click(window->InfoPanelButton().Handle());
  EXPECT_EQ(window->InfoPanelButton().Caption(), u"\u25BC");
  EXPECT_EQ(window->Tips().Tip(window->InfoPanelButton().Handle()), u"Shrink the information panel");
  EXPECT_EQ(Placed(window->Pages().Handle()), (view::Rect{285, 286, 1010, 586}));
  // The rich edit of the active tab fills the tab's page area below the buttons.
  const view::Rect inf = PlacedIn(window->Pages().Handle(), window->InfFileBox().Handle());
  EXPECT_GT(inf.Height(), 250);
  EXPECT_TRUE(::IsWindowVisible(window->InfFileBox().Handle()));
  EXPECT_FALSE(::IsWindowVisible(window->OutputBox().Handle()));
  Click(window->InfoPanelButton().Handle());
  EXPECT_EQ(Placed(window->Pages().Handle()).Height(), 0);
  EXPECT_EQ(window->InfoPanelButton().Caption(), u"\u25B2");
}

TEST_F(MainWindowFixture, SelectingADeviceFillsThePanelsAndEnablesItsCommands) {
  Start();
  const view::NodeId device = FirstDeviceNode();
  ASSERT_NE(device, view::kNoNode);
  UserSelects(device);
  gui::StringGrid& grid = window->DeviceInfoGrid();
  ASSERT_EQ(grid.RowCount(), 25);
  EXPECT_EQ(grid.Cell(0, 0), u"Property Name");
  EXPECT_EQ(grid.Cell(1, 0), u"Property Value");
  EXPECT_EQ(grid.Cell(0, 1), u"Class");
  EXPECT_EQ(grid.Cell(0, 24), u"Driver Pack");
  EXPECT_EQ(grid.Cell(1, 5), window->Tree().Device(device)->InstanceId);
  EXPECT_EQ(window->FilesGrid().Cell(0, 0), u"File");
  EXPECT_TRUE(window->btnVerify().Enabled());
  EXPECT_TRUE(window->btnExport().Enabled());
  EXPECT_TRUE(window->btnExportAll().Enabled());
  EXPECT_TRUE(window->mnuVerify().Enabled());
  EXPECT_TRUE(window->mnuExport().Enabled());
  EXPECT_TRUE(window->mnuProperties().Enabled());
  EXPECT_FALSE(::GetMenuState(window->PopupMenu(), gui::kMenuProperties, MF_BYCOMMAND) & MF_GRAYED);

  // A class node keeps the panels and turns the device commands off.
  UserSelects(FirstClassNode());
  EXPECT_EQ(grid.RowCount(), 25);
  EXPECT_EQ(grid.Cell(1, 5), window->Tree().Device(device)->InstanceId);
  EXPECT_FALSE(window->btnVerify().Enabled());
  EXPECT_FALSE(window->mnuProperties().Enabled());
}

TEST_F(MainWindowFixture, PropertiesStartsTheDeviceManagersDialogForTheSelectedDevice) {
  Start();
  const view::NodeId device = FirstDeviceNode();
  ASSERT_NE(device, view::kNoNode);
  UserSelects(device);
  Command(gui::kMenuProperties);
  ASSERT_EQ(os.programs.started.size(), 1u);
  EXPECT_EQ(os.programs.started[0], u"open rundll32.exe devmgr.dll,DeviceProperties_RunDLL /DeviceID \"" +
                                     window->Tree().Device(device)->InstanceId + u"\"");
}

TEST_F(MainWindowFixture, AnErrorEscapingAHandlerIsShownAndTheWindowKeepsRunning) {
  Start();
  UserSelects(FirstDeviceNode());
  os.programs.refuse = true;
  const size_t before = os.dialogs.shown.size();
  Command(gui::kMenuProperties);
  ASSERT_EQ(os.dialogs.shown.size(), before + 1);
  EXPECT_EQ(os.dialogs.shown.back().kind, ports::MessageKind::Error);
  EXPECT_EQ(os.dialogs.shown.back().text, u"the shell refused to start rundll32.exe");
  EXPECT_FALSE(window->Closed());
  os.programs.refuse = false;
  Command(gui::kMenuProperties);
  EXPECT_EQ(os.programs.started.size(), 1u);
}

TEST_F(MainWindowFixture, GridsFitTheirSecondColumnAndKeepTheFirst) {
  Create();
  EXPECT_EQ(window->DeviceInfoGrid().ColWidth(0), 150);
  EXPECT_EQ(window->DeviceInfoGrid().ColWidth(1), 250);
  EXPECT_EQ(window->FilesGrid().ColWidth(0), 180);
  EXPECT_EQ(window->FilesGrid().ColWidth(1), 140);
  EXPECT_EQ(window->DeviceInfoGrid().DefaultRowHeight(), 19);
  EXPECT_EQ(window->DeviceInfoGrid().FixedRows(), 1);
  EXPECT_EQ(window->DeviceInfoGrid().Color(), (view::Rgb{250, 250, 255}));

  // The user drags the header edge of column 0 from 150 to 190.
  HWND grid = window->DeviceInfoGrid().Handle();
  ::SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, At(150, 5));
  ::SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, At(190, 5));
  ::SendMessageW(grid, WM_LBUTTONUP, 0, At(190, 5));
  EXPECT_EQ(window->DeviceInfoGrid().ColWidth(0), 190);
  // A row below the header grabs nothing.
  ::SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, At(190, 30));
  ::SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, At(100, 30));
  ::SendMessageW(grid, WM_LBUTTONUP, 0, At(100, 30));
  EXPECT_EQ(window->DeviceInfoGrid().ColWidth(0), 190);
}

TEST_F(MainWindowFixture, DraggingTheDevicesSplitterMovesThePanelsAndRefitsTheGrids) {
  Start();
  HWND splitter = window->SplitterOf(2).Handle();
  ::SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 100));
  ::SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, At(42, 100));
  ::SendMessageW(splitter, WM_LBUTTONUP, 0, At(42, 100));
  EXPECT_EQ(Placed(splitter), (view::Rect{320, 30, 325, 586}));
  EXPECT_EQ(Placed(window->Tree().Handle()).right, 317);
  EXPECT_EQ(Placed(window->DeviceInfoGrid().Handle()), (view::Rect{325, 56, 725, 557}));
  EXPECT_EQ(Placed(window->FilesGrid().Handle()).left, 730);
  EXPECT_EQ(window->FilesGrid().ColWidth(1), 280 - 180);

  // Splitter3 changes the heights, not the panel state.
  HWND horizontal = window->SplitterOf(3).Handle();
  ::SendMessageW(horizontal, WM_LBUTTONDOWN, MK_LBUTTON, At(100, 2));
  ::SendMessageW(horizontal, WM_MOUSEMOVE, MK_LBUTTON, At(100, -98));
  ::SendMessageW(horizontal, WM_LBUTTONUP, 0, At(100, -98));
  EXPECT_EQ(Placed(window->Pages().Handle()).Height(), 100);
  EXPECT_EQ(window->btnInfoPanel().Tag(), 1);
}

TEST_F(MainWindowFixture, ResizingRefitsTheGridsAndKeepsTheTabsState) {
  Start();
  RECT r;
  ::GetWindowRect(Main(), &r);
  // Wine's screen is hardly larger than the window: the test makes it smaller.
  ::SetWindowPos(Main(), nullptr, 0, 0, r.right - r.left - 100, r.bottom - r.top - 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT client;
  ::GetClientRect(Main(), &client);
  ASSERT_EQ(client.right, 910);
  ASSERT_EQ(client.bottom, 536);
  EXPECT_EQ(window->FilesGrid().ColWidth(1), 220 - 180);
  EXPECT_EQ(Placed(window->Pages().Handle()).Height(), 0);  // still collapsed
  EXPECT_EQ(Placed(window->InfoPanelButton().Handle()), (view::Rect{887, 513, 910, 535}));

  Click(window->InfoPanelButton().Handle());
  ::SetWindowPos(Main(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Placed(window->Pages().Handle()).Height(), 300);  // still shown
}

TEST_F(MainWindowFixture, SnapsToTheEdgesOfTheWorkAreaWhenMovedNearThem) {
  Start();
  RECT work;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  ::SetWindowPos(Main(), nullptr, work.left + 7, work.top + 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT r;
  ::GetWindowRect(Main(), &r);
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  ::SetWindowPos(Main(), nullptr, work.left + 40, work.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::GetWindowRect(Main(), &r);
  EXPECT_EQ(r.left, work.left + 40);
  EXPECT_EQ(r.top, work.top + 30);
}

TEST_F(MainWindowFixture, QuitHidesTheWindowAndEndsTheMessageLoop) {
  Start();
  Command(gui::kMenuQuit);
  EXPECT_TRUE(window->Closed());
  EXPECT_FALSE(::IsWindowVisible(Main()));
  MSG message;
  ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
}


// Ends the popup menu's modal loop as soon as it runs its first timer.
void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::EndMenu();
}

TEST_F(MainWindowFixture, ARightClickSelectsTheNodeUnderTheMouseBeforeThePopupMenuOpens) {
  Start();
  const view::NodeId device = FirstDeviceNode();
  ASSERT_NE(device, view::kNoNode);
  window->Tree().Expand(FirstClassNode());
  const view::Rect text = window->Tree().TextRect(device);
  POINT screen{text.left + 30, (text.top + text.bottom) / 2};
  ::ClientToScreen(window->Tree().Handle(), &screen);
  ASSERT_TRUE(::SetCursorPos(screen.x, screen.y));
  POINT actual;
  ::GetCursorPos(&actual);
  if (actual.x != screen.x || actual.y != screen.y) GTEST_SKIP() << "this Wine does not move its cursor";

  ASSERT_NE(::SetTimer(nullptr, 0, 50, &EndMenuSoon), 0u);
  NMHDR click{window->Tree().Handle(), UINT_PTR(::GetDlgCtrlID(window->Tree().Handle())), UINT(NM_RCLICK)};
  ::SendMessageW(Main(), WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));

  EXPECT_EQ(window->Tree().Selected(), device);
  EXPECT_EQ(window->DeviceInfoGrid().RowCount(), 25);  // tvDevicesChange ran before the menu
  EXPECT_TRUE(window->mnuExport().Enabled());
}


// What the About window showed while it ran modally; filled by CloseAboutSoon.
struct AboutSeen {
  HWND main = nullptr;
  bool found = false;
  bool mainDisabled = false;
  std::wstring versionLine;
};
AboutSeen aboutSeen;

void CALLBACK CloseAboutSoon(HWND, UINT, UINT_PTR id, DWORD) {
  HWND about = ::FindWindowW(gui::kAboutWindowClass, nullptr);
  if (!about || !::IsWindowVisible(about)) return;  // not up yet: the next tick
  ::KillTimer(nullptr, id);
  aboutSeen.found = true;
  aboutSeen.mainDisabled = !::IsWindowEnabled(aboutSeen.main);
  aboutSeen.versionLine = TextOf(::GetDlgItem(about, gui::kAboutVersionId));
  ::PostMessageW(about, WM_CLOSE, 0, 0);
}

TEST_F(MainWindowFixture, AboutRunsModallyOverTheMainWindowAndGivesItBack) {
  Start();
  aboutSeen = AboutSeen{Main()};
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &CloseAboutSoon);
  ASSERT_NE(timer, 0u);
  Command(gui::kMenuAbout);  // returns when the About window is closed
  ::KillTimer(nullptr, timer);
  ASSERT_TRUE(aboutSeen.found);
  EXPECT_TRUE(aboutSeen.mainDisabled);
  // The test exe carries no version resource of its own.
  EXPECT_EQ(aboutSeen.versionLine, L"Quillon Version: ");
  EXPECT_TRUE(::IsWindowEnabled(Main()));
  EXPECT_FALSE(window->Closed());
}

}  // namespace
}  // namespace gui_test
