// Report lines, hash texts and the trimmed system message of the last error.
#include "SigningFixture.h"
#include "platform/System.h"
#include "platform/SystemMessage.h"

namespace signing_test {
namespace {

class ReportTest : public SigningTest {};

TEST_F(ReportTest, ShortNameIsPaddedToTenColumns) {
  LogField(u"SHA-1", u"ABC", callback);
  EXPECT_EQ(lines, (std::vector<WString>{u"SHA-1      : ABC\r\n"}));
}

TEST_F(ReportTest, LongNameIsCutToTenCharacters) {
  LogField(u"OSAttrLongerName", u"v", callback);
  EXPECT_EQ(lines, (std::vector<WString>{u"OSAttrLong : v\r\n"}));
}

TEST_F(ReportTest, WithoutCallbackNothingHappens) { EXPECT_NO_THROW(LogField(u"Tag", u"x", TShellCallback())); }

TEST_F(ReportTest, HashTextIsUpperCaseHexWithoutSeparators) {
  EXPECT_EQ(HashToHex(std::vector<uint8_t>{0x00, 0x0A, 0xBC, 0xFF}), u"000ABCFF");
  EXPECT_EQ(HashToHex(std::vector<uint8_t>{}), u"");
}

TEST_F(ReportTest, TrimmedLastErrorMessageIsTheSystemTextWithoutItsLineBreak) {
  Os().system->SetLastError(winapi::kErrorFileNotFound);
  EXPECT_EQ(LastErrorMessageTrimmed(), u"The system cannot find the file specified.");
}

TEST_F(ReportTest, HashesMatchTheGeneratorsForFlatAndPeFiles) {
  for (const char* name : {"data.bin", "driver.inf", "driver.sys", "signed.sys", "signed-tampered.sys"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(CalcFileHash(File(name)), ManifestHash(name, "sha1"));
    WString unused;
    EXPECT_EQ(CalcFileHashSha256(File(name), unused), ManifestHash(name, "sha256"));
  }
}

TEST_F(ReportTest, HashOfMissingFileIsEmpty) {
  WString msg;
  EXPECT_EQ(CalcFileHash(File("no-such-file")), u"");
  EXPECT_EQ(CalcFileHashSha256(File("no-such-file"), msg), u"");
  EXPECT_EQ(msg, u"");
}

TEST_F(ReportTest, Sha256ContextFailureGivesTheSystemText) {
  UseMachine(SigningDir(), "[faults]\nCryptCATAdminAcquireContext2=120");
  WString msg;
  EXPECT_EQ(CalcFileHashSha256(File("driver.inf"), msg), u"");
  EXPECT_EQ(msg, u"This function is not supported on this system.");
}

TEST_F(ReportTest, ProviderFailureStopsTheMemberCheck) {
  UseMachine(SigningDir(), "[faults]\nCryptAcquireContextW=87");
  EXPECT_FALSE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_EQ(message, u"The parameter is incorrect.");
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(counting->opens, 0);
}

}  // namespace
}  // namespace signing_test
