#include <gtest/gtest.h>

#include "platform/SafeText.h"

// An escape sequence, a carriage return that rewrites a line, a bell, C1 codes
// and a right-to-left override never reach a terminal as themselves.
TEST(Visible, ShowsEveryControlAndReorderingCharacterAsAnEscape) {
  EXPECT_EQ(text::Visible(u"\x1b[2J\x1b]0;owned\a"), u"\\x1b[2J\\x1b]0;owned\\x07");
  EXPECT_EQ(text::Visible(u"ok\rfake\n\tx"), u"ok\\rfake\\n\\tx");
  EXPECT_EQ(text::Visible(u"a\x7f\x9b" "b"), u"a\\x7f\\x9bb");
  EXPECT_EQ(text::Visible(u"evil\u202Etxt.exe"), u"evil\\u202etxt.exe");
  EXPECT_EQ(text::Visible(u"Gerät Ω 🎵 C:\\Windows"), u"Gerät Ω 🎵 C:\\Windows");
}

// A cell a spreadsheet would run as a formula starts with a quote; the line stays RFC 4180.
TEST(CsvCell, NeutralisesFormulasAndQuotesAsRfc4180Says) {
  EXPECT_EQ(text::CsvCell(u"=HYPERLINK(\"http://x\")"), u"\"'=HYPERLINK(\"\"http://x\"\")\"");
  EXPECT_EQ(text::CsvCell(u"+1"), u"'+1");
  EXPECT_EQ(text::CsvCell(u"-2"), u"'-2");
  EXPECT_EQ(text::CsvCell(u"@SUM(A1)"), u"'@SUM(A1)");
  EXPECT_EQ(text::CsvCell(u"\tx"), u"'\tx");
  EXPECT_EQ(text::CsvCell(u"a,b"), u"\"a,b\"");
  EXPECT_EQ(text::CsvCell(u"line\r\nnext"), u"\"line\r\nnext\"");
  EXPECT_EQ(text::CsvCell(u"Fabrikam 12.19.2.45"), u"Fabrikam 12.19.2.45");
  EXPECT_EQ(text::CsvCell(u""), u"");
}
