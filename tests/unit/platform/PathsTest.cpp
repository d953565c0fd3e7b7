#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "platform/Text.h"

using text::W;

TEST(MatchesMask, StarDotStarMatchesNamesWithoutADot) {
  EXPECT_TRUE(paths::MatchesMask(u"README", u"*.*"));
  EXPECT_TRUE(paths::MatchesMask(u"a.sys", u"*.*"));
}

TEST(MatchesMask, IsCaseInsensitive) {
  EXPECT_TRUE(paths::MatchesMask(u"OEM1.PNF", u"*.pnf"));
  EXPECT_FALSE(paths::MatchesMask(u"oem1.pnf.bak", u"*.pnf"));
  EXPECT_TRUE(paths::MatchesMask(u"x.CAT", u"*.cat"));
}

TEST(PathText, SplitsFolderNameAndExtension) {
  WString p = paths::Join(u"root", u"sub") + paths::kPathDelim + u"file.tar.gz";
  EXPECT_EQ(paths::ExtractFileName(p), u"file.tar.gz");
  EXPECT_EQ(paths::ExtractFileExt(p), u".gz");
  EXPECT_EQ(paths::ExtractFilePath(p), paths::Join(u"root", u"sub") + paths::kPathDelim);
  EXPECT_EQ(paths::ChangeFileExt(u"oem42.inf", u""), u"oem42");
}

TEST(Utf8, RoundTripsOutsideTheBasicPlane) {
  WString s = u"Ger\u00e4t \U0001F600";
  EXPECT_EQ(text::FromUtf8(text::ToUtf8(s)), s);
  EXPECT_EQ(text::FromUtf8("\xff"), WString(1, char16_t(0xFFFD)));
}

TEST(Utf8, UnpairedSurrogatesBecomeTheReplacementCharacter) {
  const WString lone = {char16_t(0xD83D), u'a', char16_t(0xDE00)};
  EXPECT_EQ(text::ToUtf8(lone), "\xEF\xBF\xBD" "a" "\xEF\xBF\xBD");
  const WString highAtEnd = {u'x', char16_t(0xD83D)};
  size_t i = 1;
  EXPECT_EQ(text::NextCodePoint(highAtEnd, i), U'\xFFFD');
  EXPECT_EQ(i, 2u);
}

TEST(GuidText, FormatsAndParsesUpperCase) {
  winapi::Guid g;
  ASSERT_TRUE(text::StringToGuid(u"{4d36e972-e325-11ce-bfc1-08002be10318}", g));
  EXPECT_EQ(text::GuidToString(g), u"{4D36E972-E325-11CE-BFC1-08002BE10318}");
  EXPECT_FALSE(text::StringToGuid(u"{4d36e972-e325-11ce-bfc1-08002be1031}", g));
}

TEST(ReplaceAll, CollapsesPairsInOnePass) {
  EXPECT_EQ(text::ReplaceAll(u"a\r\r\r\n", u"\r\r", u"\r"), u"a\r\r\n");
}
