// The Win32 progress window under Wine (null graphics driver): its placement and
// style, the labels the logic sets, and the bar drawn straight onto the window.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/ProgressFormUnit.h"
#include "app/win32/ProgressWindow.h"
#include "windows/gui/ThreadWindows.h"

namespace {

using gui_test::FindThreadWindow;
using gui_test::OwnerWindow;
using gui_test::PlacedRect;
using gui_test::WindowText;

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class ProgressWindow : public ::testing::Test {
 protected:
  HWND Window() const { return FindThreadWindow(gui::kProgressWindowClass); }
  HWND Label(int id) const { return ::GetDlgItem(Window(), id); }

  OwnerWindow owner;
};

TEST_F(ProgressWindow, IsABorderlessTopmostPopupOfTheLayoutSizeCentredOverItsOwner) {
  auto view = CreateWin32ProgressWindow(owner.Get());
  HWND hwnd = Window();
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  EXPECT_EQ(::GetWindow(hwnd, GW_OWNER), owner.Get());

  const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE), exStyle = ::GetWindowLongW(hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME));
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);

  RECT window{}, client{}, ownerRect{};
  ::GetWindowRect(hwnd, &window);
  ::GetClientRect(hwnd, &client);
  ::GetWindowRect(owner.Get(), &ownerRect);
  EXPECT_EQ(client.right, 452);
  EXPECT_EQ(client.bottom, 119);
  EXPECT_EQ(window.right - window.left, 452);  // no frame around the client area
  EXPECT_EQ(view->Width(), 452);
  EXPECT_EQ(view->Height(), 119);
  EXPECT_NEAR(Centre(window).x, Centre(ownerRect).x, 1);
  EXPECT_NEAR(Centre(window).y, Centre(ownerRect).y, 1);
  ::SendMessageW(hwnd, WM_CLOSE, 0, 0);  // Alt+F4 cannot cancel a command
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  view.reset();
  EXPECT_FALSE(::IsWindow(hwnd));  // CloseProgress frees the window with its view
}

TEST_F(ProgressWindow, StaysOnTheScreenWhenItsOwnerHangsOverTheEdge) {
  OwnerWindow offScreen({-700, -500, 100, 100});
  auto view = CreateWin32ProgressWindow(offScreen.Get());
  RECT window{}, work{};
  ::GetWindowRect(Window(), &window);
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(window.left, work.left);
  EXPECT_GE(window.top, work.top);
}

TEST_F(ProgressWindow, LabelsSitWhereTheLayoutPutsThemAndShowWhatTheLogicSets) {
  TfrmProgress form(CreateWin32ProgressWindow(owner.Get()));
  HWND title = Label(gui::kProgressTitleId), line = Label(gui::kProgressTextId);
  ASSERT_NE(title, nullptr);
  ASSERT_NE(line, nullptr);
  const RECT t = PlacedRect(title), l = PlacedRect(line);
  EXPECT_EQ(t.left, 96);
  EXPECT_EQ(t.top, 24);
  EXPECT_EQ(t.right - t.left, 344);
  EXPECT_EQ(t.bottom - t.top, 25);
  EXPECT_EQ(l.top, 64);
  EXPECT_EQ(l.bottom - l.top, 17);
  EXPECT_TRUE(::GetWindowLongW(title, GWL_STYLE) & SS_CENTER);

  form.SetText(u"oem12.inf");
  EXPECT_EQ(WindowText(line), L"oem12.inf");
  form.SetTitle(u"Exporting Driver");
  EXPECT_EQ(WindowText(title), L"Exporting Driver");
  EXPECT_EQ(WindowText(line), L"");  // a new title clears the text line
  form.SetText(u"Litware Audio");
  EXPECT_EQ(WindowText(line), L"Litware Audio");
}

// The bar is painted onto the window's own DC: read it back from there.
class ProgressBarPixels : public ProgressWindow {
 protected:
  COLORREF Pixel(int x, int y) const {
    HDC dc = ::GetDC(Window());
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(Window(), dc);
    return c;
  }
  // Colours in the track's middle row that are neither fill nor track: the caption.
  int CaptionPixels(int fromX, int toX) const {
    int n = 0;
    for (int y = 119 - 24; y < 119 - 14; ++y)
      for (int x = fromX; x < toX; ++x) {
        const COLORREF c = Pixel(x, y);
        if (c != kFill && c != ::GetSysColor(COLOR_BTNFACE)) ++n;
      }
    return n;
  }
  static constexpr COLORREF kFill = RGB(192, 220, 192);
};

TEST_F(ProgressBarPixels, FillCoversThreeTenthsOfTheTrackAndTheCaptionIsDrawnInIt) {
  TfrmProgress form(CreateWin32ProgressWindow(owner.Get()));
  form.SetTitle(u"Verifying Signatures");
  if (Pixel(0, 0) == CLR_INVALID) GTEST_SKIP() << "this graphics driver keeps no window pixels";
  form.SetProgressBar(3, 10);
  const int y = 119 - 12;  // inside the track (y 91 to 109), below the caption's middle
  EXPECT_EQ(Pixel(10, y), kFill);
  EXPECT_EQ(Pixel(10 + 128, y), kFill);  // the 129th and last filled column
  EXPECT_EQ(Pixel(10 + 129, y), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(Pixel(441, y), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_GT(CaptionPixels(196, 256), 10);  // "3 / 10", centred at x 226
  EXPECT_EQ(CaptionPixels(20, 120), 0);
}

TEST_F(ProgressBarPixels, ANewTextLineRepaintsTheWindowBeforeTheBarIsDrawnAgain) {
  TfrmProgress form(CreateWin32ProgressWindow(owner.Get()));
  form.SetTitle(u"Exporting All Drivers");
  if (Pixel(0, 0) == CLR_INVALID) GTEST_SKIP() << "this graphics driver keeps no window pixels";
  form.SetProgressBar(9, 10);
  ASSERT_EQ(Pixel(380, 119 - 12), kFill);
  // A zero total hides the bar: the repaint of the text line alone must wipe it,
  // without any message being taken from the queue.
  form.SetTotalValue(0);
  form.SetText(u"next device");
  EXPECT_NE(Pixel(380, 119 - 12), kFill);
  EXPECT_EQ(CaptionPixels(196, 256), 0);
}

TEST_F(ProgressBarPixels, LogoIsPaintedAtTheLeftAndTheCornerStaysClear) {
  auto view = CreateWin32ProgressWindow(owner.Get());
  view->Repaint();
  if (Pixel(0, 0) == CLR_INVALID) GTEST_SKIP() << "this graphics driver keeps no window pixels";
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  EXPECT_NE(Pixel(44, 50), face);  // the middle of the shield
  EXPECT_EQ(Pixel(3, 10), face);   // outside the shield: transparent
}

}  // namespace
