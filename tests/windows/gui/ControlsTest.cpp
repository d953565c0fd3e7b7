// The view adapters of the main window's controls under Wine: the tree's node
// numbering and order, the grid's cells, the rich edits' text, imgDevices.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include "windows/gui/Capture.h"
#include "windows/gui/GuiFixture.h"

namespace gui_test {
namespace {

using Controls = MainWindowFixture;

TEST_F(Controls, TreeKeepsNodesTheirParentsAndTheOrderTheyWereAddedIn) {
  Create();
  gui::DeviceTreeView& tree = window->Tree();
  TDevice device;
  const view::NodeId root = tree.AddChild(view::kNoNode, u"PC", nullptr);
  const view::NodeId b = tree.AddChild(root, u"b", &device);
  const view::NodeId a = tree.AddChild(root, u"a", nullptr);
  const view::NodeId c = tree.AddChild(root, u"c", nullptr);
  EXPECT_EQ(tree.Count(), 4);
  EXPECT_EQ(tree.Children(root), (std::vector<view::NodeId>{b, a, c}));
  EXPECT_EQ(tree.Children(view::kNoNode), (std::vector<view::NodeId>{root}));
  EXPECT_EQ(tree.Parent(b), root);
  EXPECT_EQ(tree.Parent(root), view::kNoNode);
  EXPECT_EQ(tree.Device(b), &device);
  EXPECT_EQ(tree.Text(c), u"c");
  EXPECT_THROW(tree.Text(17), std::out_of_range);
  EXPECT_THROW(tree.AddChild(17, u"x", nullptr), std::out_of_range);
}

TEST_F(Controls, SelectionsOfTheLogicRaiseNoChangeButTheUsersDo) {
  Start();
  const view::NodeId device = FirstDeviceNode();
  ASSERT_NE(device, view::kNoNode);
  window->Tree().Select(device);
  PumpMessages();
  EXPECT_EQ(window->Tree().Selected(), device);
  EXPECT_EQ(window->DeviceInfoGrid().RowCount(), 2);  // tvDevicesChange did not run
  window->Tree().Select(view::kNoNode);
  window->Tree().SelectAsUser(device);
  EXPECT_EQ(window->DeviceInfoGrid().RowCount(), 25);
  // Clearing drops the selected node without a change event.
  window->Tree().Clear();
  EXPECT_EQ(window->Tree().Count(), 0);
  EXPECT_EQ(window->Tree().Selected(), view::kNoNode);
  EXPECT_TRUE(window->btnVerify().Enabled());  // no refresh of the command state
}

TEST_F(Controls, DeviceNodesSitTwoIndentsInOnTheirOwnRow) {
  Start();
  const view::NodeId device = FirstDeviceNode();
  ASSERT_NE(device, view::kNoNode);
  window->Tree().Expand(FirstClassNode());
  const view::Rect text = window->Tree().TextRect(device);
  const view::Rect row = window->Tree().FullRow(device);
  EXPECT_EQ(row.left, 0);
  EXPECT_EQ(text.top, row.top);
  // Device nodes are two levels deep at an indent of 19 pixels.
  EXPECT_GE(text.left, 2 * 19);
}

TEST_F(Controls, GridCellsFollowTheRowAndColumnCounts) {
  Create();
  gui::StringGrid& grid = window->FilesGrid();
  grid.SetRowCount(4);
  grid.SetCell(1, 3, u"sub");
  EXPECT_EQ(grid.Cell(1, 3), u"sub");
  grid.SetRowCount(2);
  grid.SetRowCount(4);
  EXPECT_EQ(grid.Cell(1, 3), u"");  // dropped with its row
  EXPECT_EQ(grid.Cell(0, 0), u"File");
  EXPECT_THROW(grid.Cell(2, 0), std::out_of_range);
  EXPECT_THROW(grid.SetCell(0, 4, u"x"), std::out_of_range);
  EXPECT_THROW(grid.SetColWidth(2, 10), std::out_of_range);
  grid.SetDefaultColWidth(77);
  EXPECT_EQ(grid.ColWidth(0), 77);
  EXPECT_EQ(grid.ColWidth(1), 77);
  EXPECT_EQ(grid.Width(), 320);
}

TEST_F(Controls, GridScrollsItsRowsBelowAFixedHeader) {
  Create();
  gui::StringGrid& grid = window->DeviceInfoGrid();
  grid.SetRowCount(200);
  grid.SetCell(0, 199, u"\u2588\u2588");
  EXPECT_EQ(grid.TopRow(), 1);
  ::SendMessageW(grid.Handle(), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(grid.SelectedRow(), 199);
  EXPECT_GT(grid.TopRow(), 150);
  SCROLLINFO info{sizeof(info), SIF_POS};
  ASSERT_TRUE(::GetScrollInfo(grid.Handle(), SB_VERT, &info));
  EXPECT_EQ(info.nPos, grid.TopRow() - 1);
  Capture shot(grid.Handle());
  EXPECT_EQ(shot.At(10, 5), (view::Rgb{214, 214, 214}));  // the header stays on top
  ::SendMessageW(grid.Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(grid.TopRow(), 1);
  ::SendMessageW(grid.Handle(), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(grid.SelectedRow(), 1);
}

TEST_F(Controls, RichEditLinesAndInsertionsKeepTheCaretAtTheirEnd) {
  Create();
  gui::RichEdit& box = window->OutputBox();
  box.InsertAtCaret(u"a : b");
  box.LinesAdd(u"line");  // after text without a line break: one is added first
  EXPECT_EQ(box.Text(), u"a : b\r\nline\r\n");
  box.InsertAtCaret(u"tail");
  EXPECT_EQ(box.Text(), u"a : b\r\nline\r\ntail");
  // Loading replaces everything and puts the caret at the start.
  box.SetText(u"x\r\ny");
  box.InsertAtCaret(u">");
  EXPECT_EQ(box.Text(), u">x\r\ny");
  box.LinesClear();
  EXPECT_EQ(box.Text(), u"");
  // A selection made by the user is replaced.
  box.SetText(u"keep DROP keep");
  ::SendMessageW(box.Handle(), EM_SETSEL, 5, 9);
  box.InsertAtCaret(u"new");
  EXPECT_EQ(box.Text(), u"keep new keep");
}

TEST_F(Controls, RichEditHoldsTextsFarBeyondTheDefaultLimit) {
  Create();
  WString big;
  for (int i = 0; i < 20000; ++i) big += u"0123456789\r\n";
  window->InfFileBox().SetText(big);
  EXPECT_EQ(window->InfFileBox().Text().size(), big.size());
  EXPECT_TRUE(::GetWindowLongW(window->InfFileBox().Handle(), GWL_STYLE) & ES_READONLY);
}

TEST_F(Controls, ImageListStartsWithTheFourGlyphsAndTakesIcons) {
  Create();
  gui::DeviceImageList& images = window->Images();
  EXPECT_EQ(images.Count(), 4);
  EXPECT_THROW(images.Delete(4), QuillonError);
  HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(images.AddIcon(winapi::Handle(icon)), 4);
  EXPECT_EQ(images.Count(), 5);
  images.Delete(4);
  EXPECT_EQ(images.Count(), 4);
  int width = 0, height = 0;
  ASSERT_TRUE(::ImageList_GetIconSize(images.Handle(), &width, &height));
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 16);
}

}  // namespace
}  // namespace gui_test
