// The keyboard and screen-reader decisions of the window's own controls: where
// Tab goes, which letter a button's access key underlines, when a flat button
// shows focus, and how a grid row is read out.
#include <gtest/gtest.h>

#include "app/DrawingControls.h"
#include "app/DrawingLayout.h"

namespace {

TEST(TabOrder, MovesForwardAndBackWrappingRoundAndSkipsWhatCannotTakeTheFocus) {
  // Five buttons (Verify and Export disabled), tree, two grids, the panel button,
  // the collapsed tabs and their text box.
  const std::vector<bool> focusable{true, false, false, true, true, true, true, true, true, false, false};
  EXPECT_EQ(controls::NextInTabOrder(focusable, 0, true), 3);
  EXPECT_EQ(controls::NextInTabOrder(focusable, 8, true), 0);   // round to the first button
  EXPECT_EQ(controls::NextInTabOrder(focusable, 0, false), 8);  // Shift+Tab round the other way
  EXPECT_EQ(controls::NextInTabOrder(focusable, 5, true), 6);   // tree -> property grid
  EXPECT_EQ(controls::NextInTabOrder(focusable, 6, true), 7);   // -> file grid
  EXPECT_EQ(controls::NextInTabOrder(focusable, -1, true), 0);  // focus elsewhere: the first
  EXPECT_EQ(controls::NextInTabOrder(focusable, -1, false), 8); // ... or the last
  EXPECT_EQ(controls::NextInTabOrder({false, false}, 0, true), -1);
  EXPECT_EQ(controls::NextInTabOrder({}, -1, true), -1);
}

TEST(AccessKeys, UnderlineTheFirstMatchingLetterAndKeepTheCaptionsAmpersands) {
  EXPECT_EQ(controls::CaptionWithAccessKey(u"Export All", u'A'), u"Export &All");
  EXPECT_EQ(controls::CaptionWithAccessKey(u"Scan Hardware", u's'), u"&Scan Hardware");
  EXPECT_EQ(controls::CaptionWithAccessKey(u"Tom & Jerry", u'J'), u"Tom && &Jerry");
  EXPECT_EQ(controls::CaptionWithAccessKey(u"X", 0), u"X");
  EXPECT_EQ(controls::CaptionWithAccessKey(u"Verify", u'Q'), u"Verify");
  EXPECT_TRUE(controls::IsAccessKey(u'v', u'V'));
  EXPECT_FALSE(controls::IsAccessKey(u'v', 0));
  // Every toolbar button has its own key, and each key is a letter of its caption.
  std::u16string keys;
  for (const layout::ToolbarButton& button : layout::ToolbarButtons()) {
    EXPECT_NE(controls::CaptionWithAccessKey(button.caption, button.accessKey), WString(button.caption));
    EXPECT_EQ(keys.find(button.accessKey), std::u16string::npos);
    keys += button.accessKey;
  }
  EXPECT_EQ(keys, u"SVEAP");
}

TEST(MenuKeys, ALetterPicksTheFirstItemBeginningWithIt) {
  const std::vector<WString> file{u"About", u"Quit"}, popup{u"Export Driver", u"Verify Signatures", u"Properties"};
  EXPECT_EQ(controls::MenuItemForKey(file, u'a'), 0);
  EXPECT_EQ(controls::MenuItemForKey(file, u'Q'), 1);
  EXPECT_EQ(controls::MenuItemForKey(popup, u'p'), 2);
  EXPECT_EQ(controls::MenuItemForKey(popup, u'x'), -1);
  EXPECT_EQ(controls::MenuItemForKey({u"", u"File"}, u'f'), 1);
}

TEST(FlatButtons, ShowTheFocusMarkOnlyWhenFocusedEnabledAndCuesAreShown) {
  const view::Rgb white{255, 255, 255};
  EXPECT_TRUE(controls::DecideFlatButton({true, false, false, true, true}, white).focusMark);
  EXPECT_FALSE(controls::DecideFlatButton({true, false, false, true, false}, white).focusMark);
  EXPECT_FALSE(controls::DecideFlatButton({true, false, false, false, true}, white).focusMark);
  EXPECT_FALSE(controls::DecideFlatButton({false, false, false, true, true}, white).focusMark);
  // Held down with Space, it looks pressed as under the mouse.
  EXPECT_EQ(controls::DecideFlatButton({true, false, true, true, true}, white).face, (view::Rgb{204, 228, 247}));
}

TEST(ScreenReaders, ReadARowAsItsFirstCellWithTheOthersAsItsValue) {
  const auto row = controls::SpeakRow({u"Class", u"Net"}, false);
  EXPECT_EQ(row.name, u"Class");
  EXPECT_EQ(row.value, u"Net");
  const auto file = controls::SpeakRow({u"e1d68x64.sys", u""}, false);
  EXPECT_EQ(file.name, u"e1d68x64.sys");
  EXPECT_EQ(file.value, u"");  // no folder: nothing to read after the name
  const auto header = controls::SpeakRow({u"File", u"Sub Directory"}, true);
  EXPECT_EQ(header.name, u"File, Sub Directory");
  EXPECT_EQ(header.value, u"");
  EXPECT_EQ(controls::SpeakRow({}, false).name, u"");
}

}  // namespace
