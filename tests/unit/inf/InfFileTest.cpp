// The INF reader: sections, keys and fields, quoting, comments, continuation,
// string substitution, encodings, and the files SetupAPI refuses.
#include "inf/InfFile.h"

#include "tests/unit/inf/InfTestFolder.h"

namespace inf_test {
namespace {

using inf::InfFile;
using inf::InfLine;

std::vector<std::string> Fields(const InfLine& line) {
  std::vector<std::string> out;
  for (const WString& f : line.fields) out.push_back(U8(f));
  return out;
}

class InfReader : public InfTestFolder {
 protected:
  InfFile Read(const std::string& bytes, inf::InfReadOptions options = {}) {
    return InfFile(Write("test.inf", bytes), options);
  }
};

TEST_F(InfReader, SplitsKeysAndFieldsAndTrimsBlanksAroundUnquotedText) {
  const InfFile f = Read("[Sec]\r\n  key  =  a b , c,,  d  \r\nno key, here\r\nkey2=\r\n");
  const auto lines = f.Lines(u"Sec");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(lines[0].hasKey);
  EXPECT_EQ(U8(lines[0].key), "key");
  EXPECT_EQ(Fields(lines[0]), (std::vector<std::string>{"a b", "c", "", "d"}));
  EXPECT_FALSE(lines[1].hasKey);
  EXPECT_EQ(Fields(lines[1]), (std::vector<std::string>{"no key", "here"}));
  EXPECT_EQ(U8(lines[2].key), "key2");
  EXPECT_EQ(Fields(lines[2]), std::vector<std::string>{""});
  EXPECT_EQ(lines[1].number, 3u);
}

TEST_F(InfReader, QuotedTextKeepsBlanksCommasSemicolonsAndDoubledQuotes) {
  const InfFile f = Read("[Sec]\nk = \" a, b \", \"say \"\"hi\"\"\" , \"x;y=z\" ; comment\nq = pre\"mid\"post\n");
  const auto lines = f.Lines(u"Sec");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Fields(lines[0]), (std::vector<std::string>{" a, b ", "say \"hi\"", "x;y=z"}));
  EXPECT_EQ(Fields(lines[1]), (std::vector<std::string>{"premidpost"}));
}

TEST_F(InfReader, CommentsBlankLinesAndContinuationsAreNotLines) {
  const InfFile f = Read("; header\r\n[Sec] ; the section\r\n\r\n   ; only a comment\r\nk = a, \\\r\n    b, \\ \r\n c\r\nnext = 1\r\n");
  const auto lines = f.Lines(u"Sec");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Fields(lines[0]), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(lines[0].number, 5u);  // a continued line has the number of its first line
  EXPECT_EQ(lines[1].number, 8u);
}

TEST_F(InfReader, SectionNamesIgnoreCaseAndARepeatedSectionIsOne) {
  const InfFile f = Read("[Models]\na=1\n[Other]\nx=0\n[MODELS]\nb=2\n");
  EXPECT_TRUE(f.HasSection(u"models"));
  EXPECT_FALSE(f.HasSection(u"Model"));
  const auto lines = f.Lines(u"mOdElS");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(U8(lines[1].key), "b");
  EXPECT_EQ(f.SectionNames(), (WStringList{u"Models", u"Other"}));
  EXPECT_EQ(U8(f.Value(u"models", u"B")), "2");
  EXPECT_EQ(U8(f.Value(u"models", u"c")), "");
  EXPECT_TRUE(f.Lines(u"Missing").empty());
}

TEST_F(InfReader, SubstitutesStringsOfTheLocaleThenOfStrings) {
  const std::string inf =
      "[Sec]\n%Desc% = %Install%, \"%Quoted%\", 100%% sure, %Missing%, %10%\\x, %Commas%\n"
      "[Strings]\nDesc = \"Plain description\"\nInstall = Inst\nCommas = \"a, b\"\nQuoted=q\n"
      "[Strings.0407]\nDesc = \"Beschreibung\"\n";
  const auto english = Read(inf).Lines(u"Sec");
  ASSERT_EQ(english.size(), 1u);
  EXPECT_EQ(U8(english[0].key), "Plain description");
  EXPECT_EQ(Fields(english[0]),
            (std::vector<std::string>{"Inst", "q", "100% sure", "%Missing%", "%10%\\x", "a, b"}));
  const auto german = Read(inf, {0x0407}).Lines(u"Sec");
  EXPECT_EQ(U8(german[0].key), "Beschreibung");
  EXPECT_EQ(U8(german[0].Field(1)), "Inst");  // not in the locale's section: [Strings]
  // Swiss German has no section of its own: the primary language's neutral one.
  const auto swiss = Read(inf + "[Strings.0007]\nDesc = Neutral\n", {0x0807}).Lines(u"Sec");
  EXPECT_EQ(U8(swiss[0].key), "Neutral");
}

TEST_F(InfReader, ReadsUtf16Utf8AndAnsiFiles) {
  const std::string inf = "[Strings]\nName = \"Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x98\x80\"\n";
  EXPECT_EQ(U8(*InfFile(Write("u16.inf", Utf16(inf))).String(u"name")), "Grüße € 😀");
  EXPECT_EQ(InfFile(Write("u16.inf", Utf16(inf))).Encoding(), inf::InfEncoding::Utf16);
  EXPECT_EQ(U8(*InfFile(Write("u8.inf", "\xEF\xBB\xBF" + inf)).String(u"NAME")), "Grüße € 😀");
  // Without a mark the bytes are the ANSI code page: 0x80 is the euro sign, 0xFC ü.
  EXPECT_EQ(U8(*InfFile(Write("ansi.inf", "[Strings]\nName = \"\x80 \xFC\"\n")).String(u"Name")), "€ ü");
  // Malformed UTF-8 gives replacement characters, not a failure.
  EXPECT_EQ(U8(*InfFile(Write("bad.inf", "\xEF\xBB\xBF[Strings]\nName = \"\xC3 \xFF\"\n")).String(u"Name")),
            "\xEF\xBF\xBD \xEF\xBF\xBD");
}

TEST_F(InfReader, RefusesWhatSetupApiRefusesNamingFileAndLine) {
  auto errorOf = [&](const std::string& bytes) -> std::string {
    try {
      Read(bytes);
    } catch (const inf::InfError& e) {
      return e.what();
    }
    return "no error";
  };
  const std::string file = text::ToUtf8(text::FromPath(Root() / "test.inf"));
  EXPECT_EQ(errorOf("; fine\n\nkey = value\n[Sec]\n"), file + ", line 3: a line before the first section");
  EXPECT_EQ(errorOf("[Version]\n[Sec\n"), file + ", line 2: a section name without its closing ']'");
  EXPECT_EQ(errorOf("[" + std::string(256, 'x') + "]\n"),
            file + ", line 1: a section name longer than 255 characters");
  EXPECT_EQ(errorOf("[" + std::string(255, 'x') + "]\n"), "no error");
}

TEST_F(InfReader, RefusesAFileLargerThanTheCapWithoutReadingIt) {
  const fs::path big = Write("big.inf", "[Sec]\n" + std::string(4096, ';'));
  try {
    InfFile(big, {0x0409, 4000});
    FAIL() << "read a file over the cap";
  } catch (const inf::InfError& e) {
    EXPECT_NE(std::string(e.what()).find("4102 bytes, more than the 4000"), std::string::npos) << e.what();
  }
  EXPECT_THROW(InfFile(Root() / "absent.inf"), inf::InfError);
}

TEST_F(InfReader, ALastLineWithoutLineBreakAndAnOddUtf16ByteAreRead) {
  EXPECT_EQ(U8(InfFile(Write("a.inf", "[S]\nk=v")).Value(u"S", u"k")), "v");
  EXPECT_EQ(U8(InfFile(Write("b.inf", Utf16("[S]\nk=v") + "\x41")).Value(u"S", u"k")), "v");
}

}  // namespace
}  // namespace inf_test
