#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/Errors.h"
#include "platform/FileHead.h"
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

// A huge file costs no more than the cap, and the cut never splits a character.
TEST(FileHead, ReadsUpToTheCapEndingOnACharacterAndSaysWhatWasLeftOut) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("quillon-filehead-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path utf8 = dir / "utf8.inf", utf16 = dir / "utf16.inf";
  std::ofstream(utf8, std::ios::binary) << "ab\xC3\xA9" << std::string(3u << 20, 'x');  // "abé" then 3 MiB
  std::ofstream(utf16, std::ios::binary) << std::string("\xFF\xFE" "a\0b\0", 6);

  const paths::FileHead cutInside = paths::ReadFileHead(text::FromPath(utf8), 3);  // cuts through "é"
  EXPECT_EQ(cutInside.bytes, "ab");
  EXPECT_EQ(cutInside.size, 4u + (3u << 20));
  EXPECT_EQ(paths::CutNote(cutInside), u"[Only the first 1 MiB of this 4 MiB file are shown.]");
  EXPECT_EQ(paths::ReadFileHead(text::FromPath(utf16), 5).bytes, std::string("\xFF\xFE" "a\0", 4));
  const paths::FileHead whole = paths::ReadFileHead(text::FromPath(utf16));
  EXPECT_FALSE(whole.Cut());
  EXPECT_EQ(paths::CutNote(whole), u"");
  EXPECT_THROW(paths::ReadFileHead(text::FromPath(dir / "missing.inf")), QuillonError);
  std::filesystem::remove_all(dir);
}
