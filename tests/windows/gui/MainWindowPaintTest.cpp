// What the main window's own controls paint, read back from memory: grid cells
// and the empty area, the class-node glyphs of the tree, the flat buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "windows/gui/Capture.h"
#include "windows/gui/GuiFixture.h"

namespace gui_test {
namespace {

using MainWindowPaint = MainWindowFixture;

TEST_F(MainWindowPaint, GridsPaintHeaderAndRowColoursAndTheEmptyAreaGradient) {
  Create();
  gui::StringGrid& info = window->DeviceInfoGrid();
  info.SetRowCount(3);
  {
    Capture shot(info.Handle());
    EXPECT_EQ(shot.At(10, 5), (view::Rgb{214, 214, 214}));     // header row
    EXPECT_EQ(shot.At(10, 19 + 5), (view::Rgb{250, 250, 255}));  // row 1
    EXPECT_EQ(shot.At(200, 38 + 5), (view::Rgb{234, 234, 250}));  // row 2
    // Below the last row: the gradient from the grid's colour to 0.88 of it.
    const int y = 3 * 19 + 20;
    EXPECT_EQ(shot.At(0, y), (view::Rgb{250, 250, 255}));
    const view::Rgb end = shot.At(shot.Width() - 1, y);
    EXPECT_NEAR(end.r, 220, 2);
    EXPECT_NEAR(end.b, 224, 2);
  }
  Capture files(window->FilesGrid().Handle());
  EXPECT_EQ(files.At(10, 5), (view::Rgb{214, 214, 214}));
  EXPECT_EQ(files.At(10, 19 + 5), (view::Rgb{248, 248, 255}));
}

TEST_F(MainWindowPaint, GridTextIsDrawnInDarkBlueInsideItsCell) {
  Create();
  gui::StringGrid& info = window->DeviceInfoGrid();
  info.SetCell(0, 1, u"\u2588\u2588\u2588\u2588");  // full blocks: solid ink
  Capture shot(info.Handle());
  int inked = 0;
  for (int x = 3; x < 40; ++x)
    for (int y = 20; y < 38; ++y) inked += shot.At(x, y) == view::Rgb{0, 0, 96};
  EXPECT_GT(inked, 20);
  // Left of the text's 3-pixel inset there is only the row colour.
  for (int y = 19; y < 38; ++y) EXPECT_EQ(shot.At(1, y), (view::Rgb{250, 250, 255})) << y;
}

TEST_F(MainWindowPaint, ClassNodesShowTheirGlyphAndTheRootIsLeftToTheControl) {
  Start();
  const view::NodeId classNode = FirstClassNode();
  ASSERT_NE(classNode, view::kNoNode);
  const view::Rect row = window->Tree().FullRow(classNode);
  {
    Capture shot(window->Tree().Handle());
    // Glyph 0 (collapsed): its first stroke pixel is column 2, row 4.
    EXPECT_EQ(shot.At(row.left + 22 + 2, row.top + 4), (view::Rgb{160, 160, 160}));
    // A transparent pixel of the glyph shows the tree's background.
    EXPECT_EQ(shot.At(row.left + 22 + 12, row.top + 1), shot.At(row.right - 2, row.top + 1));
  }
  window->Tree().Select(classNode);
  {
    Capture shot(window->Tree().Handle());
    EXPECT_EQ(shot.At(row.left + 22 + 2, row.top + 4), (view::Rgb{0, 0, 0}));  // glyph 1: selected
  }
  window->Tree().Expand(classNode);
  {
    Capture shot(window->Tree().Handle());
    // Glyph 3 (expanded, selected): its first stroke pixel is column 2, row 6.
    EXPECT_EQ(shot.At(row.left + 22 + 2, row.top + 6), (view::Rgb{0, 0, 0}));
    EXPECT_NE(shot.At(row.left + 22 + 2, row.top + 4), (view::Rgb{0, 0, 0}));
  }
}

TEST_F(MainWindowPaint, ADeviceNodeShowsItsIconAtItsTextRectangleAndItsTextAfterTheGap) {
  Start();
  const view::NodeId device = FirstDeviceNode();
  ASSERT_NE(device, view::kNoNode);
  window->Tree().Expand(FirstClassNode());
  window->Tree().Select(device);
  const view::Rect text = window->Tree().TextRect(device);
  const int icon = window->Tree().Device(device)->ClassIconIndex;
  Capture shot(window->Tree().Handle());
  if (icon == 0) {
    // Wine loads no device icons: the icon's place keeps the tree's background, as
    // the gap does; index 0 is the collapsed glyph, which must not stand in.
    for (int x = 0; x < 16; ++x)
      for (int y = 0; y < std::min(16, text.bottom - text.top); ++y)
        ASSERT_EQ(shot.At(text.left + x, text.top + y), shot.At(text.left + 19, text.top + 1)) << x << "," << y;
  }
  // The selected node's text sits opaque on the selection colour, 16 + 6 pixels
  // right of the text rectangle; the gap before it keeps the tree's background.
  EXPECT_NE(shot.At(text.left + 19, text.top + 1), (view::Rgb{218, 234, 250}));
  EXPECT_EQ(shot.At(text.left + 22, text.top + 1), (view::Rgb{218, 234, 250}));
}

TEST_F(MainWindowPaint, FlatButtonsAreWhiteUntilTheMouseIsOverThem) {
  Create();
  gui::FlatButton& scan = window->ToolbarButton(layout::kScan);
  {
    Capture shot(scan.Handle());
    EXPECT_EQ(shot.At(1, 1), (view::Rgb{255, 255, 255}));
    EXPECT_EQ(shot.At(0, 0), (view::Rgb{255, 255, 255}));  // no frame
  }
  ::SendMessageW(scan.Handle(), WM_MOUSEMOVE, 0, At(5, 5));
  EXPECT_TRUE(scan.Hot());
  {
    Capture shot(scan.Handle());
    EXPECT_EQ(shot.At(5, 5), (view::Rgb{229, 241, 251}));
    EXPECT_EQ(shot.At(0, 0), (view::Rgb{0, 120, 215}));
  }
  ::SendMessageW(scan.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(scan.Hot());
}

}  // namespace
}  // namespace gui_test
