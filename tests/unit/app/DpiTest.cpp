// Every length of the windows at 96, 144 and 192 DPI: the 96-DPI layout scaled
// once, user-chosen sizes keeping their proportion, fonts turned into pixels once.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Dpi.h"
#include "app/Drawing.h"
#include "app/DrawingControls.h"
#include "app/DrawingLayout.h"
#include "app/DrawingWindows.h"
#include "app/ProgressFormUnit.h"
#include "tests/unit/app/AppTestMachine.h"

namespace {

constexpr int kDpis[] = {96, 144, 192};

// Each edge within one pixel of the 96-DPI rectangle scaled to `dpi`.
::testing::AssertionResult IsScaled(const view::Rect& actual, const view::Rect& at96, int dpi) {
  const view::Rect want{at96.left * dpi / 96, at96.top * dpi / 96, at96.right * dpi / 96, at96.bottom * dpi / 96};
  if (std::abs(actual.left - want.left) <= 1 && std::abs(actual.top - want.top) <= 1 &&
      std::abs(actual.right - want.right) <= 1 && std::abs(actual.bottom - want.bottom) <= 1)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "{" << actual.left << "," << actual.top << "," << actual.right << ","
                                       << actual.bottom << "} is not {" << want.left << "," << want.top << ","
                                       << want.right << "," << want.bottom << "} (+-1) at " << dpi << " DPI";
}

TEST(DpiScaling, ScalesOnceTruncatingAndRescalesRounding) {
  EXPECT_EQ(dpi::Scale(19, 96), 19);
  EXPECT_EQ(dpi::Scale(19, 144), 28);   // 28.5 truncated, as ScaleToMonitor
  EXPECT_EQ(dpi::Scale(19, 192), 38);
  EXPECT_EQ(dpi::Scale(1010, 120), 1262);
  EXPECT_EQ(dpi::Rescale(301, 96, 144), 452);  // 451.5 rounded
  EXPECT_EQ(dpi::Rescale(452, 144, 96), 301);  // and back
  EXPECT_EQ(dpi::Rescale(77, 0, 144), 77);     // an unknown DPI changes nothing
  // 9 pt is 12 pixels at 96 DPI and 18 at 144; never ScaleToMonitor(9) = 13 pt = 26.
  EXPECT_EQ(dpi::PointsToPixels(9, 96), 12);
  EXPECT_EQ(dpi::PointsToPixels(9, 144), 18);
  EXPECT_EQ(dpi::PointsToPixels(10, 192), 27);  // 26.67
}

TEST(DpiLayout, MainWindowIsThe96DpiLayoutScaled) {
  const layout::MainLayout at96 =
      layout::DecideMainLayout(layout::kClientWidth, layout::kClientHeight, layout::InitialSizes(96), 96);
  EXPECT_EQ(at96.sgDeviceInfo, (view::Rect{285, 56, 685, 390}));
  EXPECT_EQ(at96.toolbarButtons[layout::kSubmit], (view::Rect{500, 0, 659, 30}));
  for (int dpi : kDpis) {
    const layout::MainLayout l = layout::DecideMainLayout(layout::ClientWidth(dpi), layout::ClientHeight(dpi),
                                                          layout::InitialSizes(dpi), dpi);
    EXPECT_TRUE(IsScaled(l.pnlToolbar, at96.pnlToolbar, dpi));
    for (int i = 0; i < layout::kToolbarButtonCount; ++i)
      EXPECT_TRUE(IsScaled(l.toolbarButtons[size_t(i)], at96.toolbarButtons[size_t(i)], dpi)) << "button " << i;
    const view::Rect layout::MainLayout::*parts[] = {
        &layout::MainLayout::pnlDevices,    &layout::MainLayout::devicesHeader, &layout::MainLayout::tvDevices,
        &layout::MainLayout::Splitter2,     &layout::MainLayout::Panel5,        &layout::MainLayout::pnlProperties,
        &layout::MainLayout::pnlDeviceInfo, &layout::MainLayout::sgDeviceInfo,  &layout::MainLayout::Splitter1,
        &layout::MainLayout::pnlFiles,      &layout::MainLayout::sgFiles,       &layout::MainLayout::Splitter3,
        &layout::MainLayout::pnlExpand,     &layout::MainLayout::btnInfoPanel,  &layout::MainLayout::pnlTabSheet};
    for (size_t i = 0; i < std::size(parts); ++i) EXPECT_TRUE(IsScaled(l.*parts[i], at96.*parts[i], dpi)) << "part " << i;
  }
  const layout::MainLayout at144 = layout::DecideMainLayout(1515, 879, layout::InitialSizes(144), 144);
  EXPECT_EQ(at144.Splitter2, (view::Rect{420, 45, 427, 879}));  // 280 and 5 at 1.5
  EXPECT_EQ(at144.btnInfoPanel.Width(), 34);
}

TEST(DpiLayout, DraggedSizesKeepTheirProportionAcrossDpiChanges) {
  const layout::MainLayoutSizes dragged{333, 250, 401};
  const layout::MainLayoutSizes at144 = layout::RescaleSizes(dragged, 96, 144);
  EXPECT_EQ(at144.devicesWidth, 500);      // 499.5
  EXPECT_EQ(at144.deviceInfoWidth, 375);
  EXPECT_EQ(at144.propertiesHeight, 602);  // 601.5
  // There and back again, each step rounded: never more than a pixel off.
  const layout::MainLayoutSizes back = layout::RescaleSizes(layout::RescaleSizes(at144, 144, 192), 192, 96);
  EXPECT_NEAR(back.devicesWidth, 333, 1);
  EXPECT_NEAR(back.deviceInfoWidth, 250, 1);
  EXPECT_NEAR(back.propertiesHeight, 401, 1);
  // The minimum a splitter leaves is the caller's, at its DPI; so are a column
  // edge's grip and the narrowest column.
  EXPECT_EQ(layout::DragSplitter(100, -200, 900, 45), 45);
  EXPECT_EQ(controls::ColumnEdgeAt({150, 250}, 154, 0, dpi::Scale(controls::kColumnGrip, 144)), 0);
  EXPECT_EQ(controls::ColumnEdgeAt({150, 250}, 154, 0), -1);
  EXPECT_EQ(controls::DraggedColumnWidth(30, -40, dpi::Scale(controls::kMinColumnWidth, 192)), 16);
}

TEST(DpiLayout, AWindowTooLargeForTheScreenIsFittedIntoTheWorkArea) {
  const view::Rect screen{0, 0, 1920, 1080}, work{0, 0, 1920, 1040};
  // 150 % on a full-HD screen: fits, centred on the screen.
  EXPECT_EQ(layout::PlaceOnScreen(1531, 938, screen, work), (view::Rect{194, 71, 1725, 1009}));
  // 125 % on a 1366 x 768 laptop: as high as the work area, its title bar at the top.
  const view::Rect laptop{0, 0, 1366, 768}, laptopWork{0, 0, 1366, 728};
  EXPECT_EQ(layout::PlaceOnScreen(1278, 791, laptop, laptopWork), (view::Rect{44, 0, 1322, 728}));
  // A work area beside a taskbar on the left: moved right of it.
  EXPECT_EQ(layout::PlaceOnScreen(1300, 700, laptop, {100, 0, 1366, 768}), (view::Rect{100, 34, 1366, 734}));
}

TEST(DpiDrawing, GlyphsAreTheDesignAtTheScaledSize) {
  for (int dpi : kDpis) {
    const int size = drawing::ImageSize(dpi);
    const drawing::GlyphPixels p = drawing::ClassNodeGlyph(drawing::kGlyphCollapsed, size);
    ASSERT_EQ(p.size(), size_t(size * size));
    int left = size, right = -1, top = size, bottom = -1, widest = 0;
    for (int y = 0; y < size; ++y) {
      int run = 0;
      for (int x = 0; x < size; ++x)
        if (p[size_t(y * size + x)]) {
          ++run;
          left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
      widest = std::max(widest, run);
    }
    // Columns 2-7 and rows 4-11 of the 16-pixel design, a 3-pixel stroke, all scaled.
    EXPECT_EQ(left, 2 * size / 16) << dpi;
    EXPECT_EQ(right + 1, 8 * size / 16) << dpi;
    EXPECT_EQ(top, 4 * size / 16) << dpi;
    EXPECT_EQ(bottom + 1, 12 * size / 16) << dpi;
    EXPECT_LE(std::abs(widest - 3 * size / 16), 1) << dpi;
  }
  EXPECT_EQ(drawing::ClassNodeGlyph(3, 16), drawing::ClassNodeGlyph(3));
  EXPECT_THROW(drawing::ClassNodeGlyph(0, 0), std::out_of_range);
}

TEST(DpiDrawing, TreeItemsAndGridCellsScaleTheirOffsetsAndFontsOnce) {
  drawing::TreeItemFacts facts;
  facts.carriesDevice = facts.hasChildren = true;
  facts.fullRow = {0, 36, 300, 63};
  facts.textRect = {40, 36, 120, 63};
  facts.dpi = 144;
  const drawing::TreeItemPaint item = drawing::DecideTreeItem(facts);
  EXPECT_EQ(item.glyphX, 33);                        // 22 at 1.5
  EXPECT_EQ(item.textRect.left, 40 + 24 + 9);        // the 24-pixel icon and the 6-pixel gap, scaled
  const drawing::GridCellPaint cell = drawing::DecideGridCell(drawing::GridKind::Files, 1, {100, 56, 325, 84}, 192);
  EXPECT_EQ(cell.fontPoints, 9);
  EXPECT_EQ(cell.fontPixels, 24);
  EXPECT_EQ(std::make_pair(cell.textX, cell.textY), std::make_pair(106, 58));
  // The text fits its row at every DPI: the row grows as the font does.
  for (int dpi : kDpis)
    EXPECT_LE(drawing::DecideGridCell(drawing::GridKind::Files, 1, {}, dpi).fontPixels + dpi::Scale(1, dpi),
              dpi::Scale(drawing::kGridRowHeight, dpi)) << dpi;
}

TEST(DpiSmallWindows, LabelsBoxesAndFontsScaleAndTheBarTrackFollows) {
  const windows_layout::SmallWindowLayout about = windows_layout::Scaled(windows_layout::AboutLayout(), 144);
  EXPECT_EQ(about.lblTitle.box, (view::Rect{144, 24, 660, 61}));
  EXPECT_EQ(about.lblTitle.fontPixels, 25);  // 17 pixels scaled
  EXPECT_EQ(about.lblText.fontPixels, 24);   // 12 pt at 144 DPI
  EXPECT_EQ(about.lblText.fontPoints, 0);    // no point size is left to scale again
  EXPECT_EQ(about.logo, (view::Rect{0, 12, 132, 156}));

  const auto bar = DecideProgressBar(dpi::Scale(452, 192), dpi::Scale(119, 192), 3, 10, false, u'.', 192);
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->track, (view::Rect{20, 238 - 56, 904 - 20, 238 - 20}));
  EXPECT_EQ(bar->fill.Width(), 864 * 30 / 100);
  EXPECT_EQ(bar->captionPoints, 10);
}

class DpiForm : public apptest::AppTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(DpiForm, GridsStartAndMoveWithTheWindowsDpi) {
  view.dpi = 144;
  form->FormCreate();
  EXPECT_EQ(view.deviceInfo.ColWidth(0), 225);
  EXPECT_EQ(view.files.ColWidth(0), 270);
  EXPECT_EQ(view.deviceInfo.defaultRowHeight, 28);

  view.deviceInfo.SetColWidth(0, 301);  // dragged by the user
  view.dpi = 192;
  form->FormAfterMonitorDpiChanged(144, 192);
  EXPECT_EQ(view.deviceInfo.ColWidth(0), 401);  // 401.3
  EXPECT_EQ(view.files.ColWidth(0), 360);
  EXPECT_EQ(view.deviceInfo.defaultRowHeight, 38);
  EXPECT_EQ(view.deviceInfo.ColWidth(1), view.deviceInfo.Width() - 401);
}

TEST_F(DpiForm, ShownTabsGetThreeHundredScaledPixels) {
  view.dpi = 192;
  view.panels.panel5Height = 1112;
  form->FormCreate();
  form->btnInfoPanelClick();
  form->btnInfoPanelClick();
  EXPECT_EQ(view.panels.TabSheetHeight(), 600);
}

}  // namespace
