// The windows at the DPI this test process runs at (96 in the ordinary run; the
// same tests run again in Wine prefixes at 144 and 192 DPI): every control's
// rectangle is the 96-DPI layout scaled, grid text fits its cells, glyphs and
// fonts have their scaled sizes. A WM_DPICHANGED, as a move to another monitor
// sends it, lays everything out again at the new DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/Dpi.h"
#include "app/Drawing.h"
#include "app/DrawingWindows.h"
#include "app/win32/AboutWindow.h"
#include "app/win32/ProgressWindow.h"
#include "app/win32/WindowDpi.h"
#include "windows/gui/GuiFixture.h"
#include "windows/gui/ThreadWindows.h"

namespace gui_test {
namespace {

// As Quillon.exe's manifest makes it: before any window of the process exists.
// (Wine answers false when the process already has its awareness; nothing to check.)
const bool kPerMonitorAware = gui::BecomePerMonitorDpiAware();

view::Rect Scaled(const view::Rect& r, int dpi) { return dpi::Scale(r, dpi); }

::testing::AssertionResult WithinAPixel(const view::Rect& actual, const view::Rect& want) {
  if (std::abs(actual.left - want.left) <= 1 && std::abs(actual.top - want.top) <= 1 &&
      std::abs(actual.right - want.right) <= 1 && std::abs(actual.bottom - want.bottom) <= 1)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "{" << actual.left << "," << actual.top << "," << actual.right << ","
                                       << actual.bottom << "} is not {" << want.left << "," << want.top << ","
                                       << want.right << "," << want.bottom << "} +-1";
}

int FontHeight(HWND control) {
  auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  if (!font || !::GetObjectW(font, sizeof(lf), &lf)) return 0;
  return std::abs(int(lf.lfHeight));
}

class MainWindowDpi : public MainWindowFixture {
 protected:
  int Dpi() const { return gui::WindowDpi(Main()); }

  // The rectangles of the window's layout at 96 DPI, from the layout table.
  void ExpectControlsAt(int dpi) {
    RECT client;
    ::GetClientRect(Main(), &client);
    EXPECT_TRUE(WithinAPixel(gui::FromRect(client), Scaled({0, 0, 1010, 586}, dpi)));
    const view::Rect buttons[] = {{6, 0, 126, 30}, {136, 0, 256, 30}, {266, 0, 386, 30}, {366, 0, 486, 30},
                                  {500, 0, 659, 30}};
    for (int i = 0; i < layout::kToolbarButtonCount; ++i)
      EXPECT_TRUE(WithinAPixel(Placed(window->ToolbarButton(layout::ToolbarButtonIndex(i)).Handle()),
                               Scaled(buttons[i], dpi)))
          << "button " << i;
    EXPECT_TRUE(WithinAPixel(Placed(window->Tree().Handle()), Scaled({3, 59, 277, 583}, dpi)));
    EXPECT_TRUE(WithinAPixel(Placed(window->SplitterOf(2).Handle()), Scaled({280, 30, 285, 586}, dpi)));
    EXPECT_TRUE(WithinAPixel(Placed(window->DeviceInfoGrid().Handle()), Scaled({285, 56, 685, 390}, dpi)));
    EXPECT_TRUE(WithinAPixel(Placed(window->SplitterOf(1).Handle()), Scaled({685, 30, 690, 390}, dpi)));
    EXPECT_TRUE(WithinAPixel(Placed(window->FilesGrid().Handle()), Scaled({690, 56, 1010, 390}, dpi)));
    EXPECT_TRUE(WithinAPixel(Placed(window->SplitterOf(3).Handle()), Scaled({285, 390, 1010, 395}, dpi)));
    EXPECT_TRUE(WithinAPixel(Placed(window->InfoPanelButton().Handle()), Scaled({987, 396, 1010, 418}, dpi)));
    EXPECT_TRUE(WithinAPixel(Placed(window->Pages().Handle()), Scaled({285, 419, 1010, 586}, dpi)));
  }

  void ExpectLengthsAt(int dpi) {
    EXPECT_EQ(window->MonitorDpi(), dpi);
    EXPECT_EQ(FontHeight(window->Tree().Handle()), dpi::PointsToPixels(9, dpi));
    EXPECT_EQ(::SendMessageW(window->Tree().Handle(), TVM_GETINDENT, 0, 0), dpi::Scale(19, dpi));
    EXPECT_GE(::SendMessageW(window->Tree().Handle(), TVM_GETITEMHEIGHT, 0, 0), dpi::Scale(18, dpi));
    int width = 0, height = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(window->Images().Handle(), &width, &height));
    EXPECT_EQ(width, drawing::ImageSize(dpi));
    EXPECT_EQ(height, drawing::ImageSize(dpi));
    EXPECT_EQ(window->DeviceInfoGrid().DefaultRowHeight(), dpi::Scale(19, dpi));
  }

  // Every shown cell's text, as painted, lies inside its cell.
  void ExpectGridTextFits(gui::StringGrid& grid, const char* name) {
    for (int row = 0; row < grid.RowCount(); ++row) {
      for (int col = 0; col < grid.ColCount(); ++col) {
        const auto painted = grid.Painted(col, row);
        if (!painted || grid.Cell(col, row).empty()) continue;
        EXPECT_LE(painted->text.bottom, painted->cell.bottom) << name << " row " << row;
        EXPECT_GE(painted->text.top, painted->cell.top) << name << " row " << row;
        // The labels of the first column are short: they fit their column.
        if (col == 0) {
          EXPECT_LE(painted->text.right, painted->cell.right) << name << " row " << row;
        }
      }
    }
  }
};

TEST_F(MainWindowDpi, EveryControlIsThe96DpiLayoutScaledToTheWindowsDpi) {
  (void)kPerMonitorAware;
  Create();
  const int dpi = Dpi();
  ExpectControlsAt(dpi);
  ExpectLengthsAt(dpi);
  EXPECT_EQ(window->DeviceInfoGrid().ColWidth(0), dpi::Scale(150, dpi));
  EXPECT_EQ(window->FilesGrid().ColWidth(0), dpi::Scale(180, dpi));
}

TEST_F(MainWindowDpi, GridTextFitsItsCellsAndGlyphsHaveTheirScaledSize) {
  ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
  ASSERT_EQ(window->DeviceInfoGrid().RowCount(), 25);
  ExpectGridTextFits(window->DeviceInfoGrid(), "sgDeviceInfo");
  ExpectGridTextFits(window->FilesGrid(), "sgFiles");

  // Glyph 0 drawn from the image list: the chevron's box is the design's, scaled.
  const int size = drawing::ImageSize(Dpi());
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size, size);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ previous = ::SelectObject(dc, bitmap);
  RECT all{0, 0, size, size};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  window->Images().Draw(drawing::kGlyphCollapsedSelected, dc, 0, 0);
  int left = size, right = -1, top = size, bottom = -1;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (::GetPixel(dc, x, y) == RGB(0, 0, 0))
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
  ::SelectObject(dc, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  EXPECT_EQ(left, 2 * size / 16);
  EXPECT_EQ(right + 1, 8 * size / 16);
  EXPECT_EQ(top, 4 * size / 16);
  EXPECT_EQ(bottom + 1, 12 * size / 16);
}

TEST_F(MainWindowDpi, AMoveToAnotherDpiLaysEverythingOutAgainKeepingDraggedSizes) {
  ASSERT_NE(StartWithFirstDevice(), view::kNoNode);
  const int from = Dpi(), to = from == 192 ? 144 : 192;
  window->DeviceInfoGrid().SetColWidth(0, dpi::Scale(200, from));  // as the user dragged it
  const int imagesBefore = window->Images().Count();

  RECT outer;
  ::GetWindowRect(Main(), &outer);
  const RECT frame = gui::WindowRectForClient(0, 0, ::GetWindowLongW(Main(), GWL_STYLE), true,
                                              ::GetWindowLongW(Main(), GWL_EXSTYLE), to);
  RECT suggested{outer.left, outer.top, outer.left + frame.right + dpi::Scale(1010, to),
                 outer.top + frame.bottom + dpi::Scale(586, to)};
  ::SendMessageW(Main(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  PumpMessages();

  ExpectLengthsAt(to);
  EXPECT_EQ(window->Images().Count(), imagesBefore);  // the device icons were made again too
  EXPECT_EQ(window->DeviceInfoGrid().ColWidth(0), dpi::Scale(200, to));
  EXPECT_EQ(window->DeviceInfoGrid().ColWidth(0) + window->DeviceInfoGrid().ColWidth(1),
            window->DeviceInfoGrid().Width());
  // The toolbar and the left panel follow (down to the bottom of whatever client
  // area the suggested rectangle gave); the start-up collapsed the tabs, and they stay so.
  EXPECT_TRUE(WithinAPixel(Placed(window->ToolbarButton(layout::kSubmit).Handle()), Scaled({500, 0, 659, 30}, to)));
  RECT client;
  ::GetClientRect(Main(), &client);
  view::Rect splitter = Scaled({280, 30, 285, 586}, to);
  splitter.bottom = client.bottom;
  EXPECT_TRUE(WithinAPixel(Placed(window->SplitterOf(2).Handle()), splitter));
  EXPECT_EQ(window->btnInfoPanel().Tag(), 1);
  ExpectGridTextFits(window->DeviceInfoGrid(), "sgDeviceInfo");
}

// ---------------------------------------------------------------- progress and About

class SmallWindowsDpi : public ::testing::Test {
 protected:
  int Dpi() const { return gui::WindowDpi(owner.Get()); }
  static view::Rect ClientOf(HWND hwnd) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    return gui::FromRect(r);
  }
  static view::Rect PlacedOf(HWND hwnd) { return gui::FromRect(PlacedRect(hwnd)); }

  OwnerWindow owner;
};

TEST_F(SmallWindowsDpi, ProgressWindowLabelsAndBarAreScaled) {
  const int dpi = Dpi();
  auto view = CreateWin32ProgressWindow(owner.Get());
  HWND hwnd = FindThreadWindow(gui::kProgressWindowClass);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(WithinAPixel(ClientOf(hwnd), Scaled({0, 0, 452, 119}, dpi)));
  const auto layout = windows_layout::ProgressLayout();
  EXPECT_TRUE(WithinAPixel(PlacedOf(::GetDlgItem(hwnd, gui::kProgressTitleId)), Scaled(layout.lblTitle.box, dpi)));
  EXPECT_TRUE(WithinAPixel(PlacedOf(::GetDlgItem(hwnd, gui::kProgressTextId)), Scaled(layout.lblText.box, dpi)));
  EXPECT_EQ(FontHeight(::GetDlgItem(hwnd, gui::kProgressTextId)), dpi::PointsToPixels(10, dpi));
  EXPECT_EQ(FontHeight(::GetDlgItem(hwnd, gui::kProgressTitleId)), dpi::Scale(17, dpi));
  EXPECT_EQ(view->Dpi(), dpi);
  EXPECT_EQ(view->Width(), dpi::Scale(452, dpi));
}

TEST_F(SmallWindowsDpi, AboutWindowLabelsAndCloseButtonAreScaled) {
  const int dpi = Dpi();
  auto view = CreateWin32AboutWindow(owner.Get());
  HWND hwnd = FindThreadWindow(gui::kAboutWindowClass);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(WithinAPixel(ClientOf(hwnd), Scaled({0, 0, 452, 119}, dpi)));
  EXPECT_TRUE(WithinAPixel(PlacedOf(::GetDlgItem(hwnd, gui::kAboutCreditId)),
                           Scaled(windows_layout::AboutCreditLine().box, dpi)));
  EXPECT_TRUE(WithinAPixel(PlacedOf(::GetDlgItem(hwnd, gui::kAboutCloseId)),
                           Scaled(windows_layout::kAboutCloseButton, dpi)));
  EXPECT_EQ(FontHeight(::GetDlgItem(hwnd, gui::kAboutVersionId)), dpi::PointsToPixels(12, dpi));

  // Moved to a monitor of another DPI: laid out again there.
  const int to = dpi == 192 ? 144 : 192;
  RECT outer;
  ::GetWindowRect(hwnd, &outer);
  RECT suggested{outer.left, outer.top, outer.left + dpi::Scale(452, to), outer.top + dpi::Scale(119, to)};
  ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_TRUE(WithinAPixel(ClientOf(hwnd), Scaled({0, 0, 452, 119}, to)));
  EXPECT_TRUE(WithinAPixel(PlacedOf(::GetDlgItem(hwnd, gui::kAboutCloseId)),
                           Scaled(windows_layout::kAboutCloseButton, to)));
  EXPECT_EQ(FontHeight(::GetDlgItem(hwnd, gui::kAboutVersionId)), dpi::PointsToPixels(12, to));
}

}  // namespace
}  // namespace gui_test
