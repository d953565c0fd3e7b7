// The progress bar's caption, which the progress window and the command line's
// progress line both show.
#include <gtest/gtest.h>

#include "backup/ProgressCaption.h"

namespace {

using backup::FormatBytes;

TEST(FormatBytes, UsesBinaryUnitsWithInclusiveThresholds) {
  EXPECT_EQ(FormatBytes(0), u"0B");
  EXPECT_EQ(FormatBytes(1023), u"1023B");
  EXPECT_EQ(FormatBytes(1024), u"1.0KB");
  EXPECT_EQ(FormatBytes(1048575), u"1024.0KB");
  EXPECT_EQ(FormatBytes(1048576), u"1.0MB");
  EXPECT_EQ(FormatBytes(1610612736), u"1.50GB");
  EXPECT_EQ(FormatBytes(uint64_t(1) << 40), u"1.00TB");
  EXPECT_EQ(FormatBytes(~uint64_t(0)), u"16777216.00TB");
}

TEST(FormatBytes, WritesTheUsersDecimalSeparator) { EXPECT_EQ(FormatBytes(1610612736, u','), u"1,50GB"); }

TEST(ProgressState, CaptionsCountsOrBytesOnlyWhileThereIsABar) {
  backup::TProgressState state;
  state.Show(u"Creating Archive");
  EXPECT_EQ(state.Caption(), u"");
  state.asBytes = true;
  state.SetTotal(2048);
  state.value = 1024;
  EXPECT_EQ(state.Caption(), u"1.0KB / 2.0KB");
  state.asBytes = false;
  EXPECT_EQ(state.Caption(), u"1024 / 2048");
  state.text = u"driver.sys";
  state.Show(u"Verifying Driver Files");
  EXPECT_EQ(state.text, u"");
  state.SetTotal(7);
  EXPECT_EQ(state.value, 0);
}

}  // namespace
