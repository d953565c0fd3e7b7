// Verifying a driver gives the report the Shell tab shows and the same checks as
// values: each file with its hashes, its verdict and its error.
#include "backup/DriverCheck.h"
#include "backup/ReportText.h"
#include "tests/unit/backup/BackupMachine.h"

namespace backuptest {
namespace {

using DriverCheck = BackupMachine;

// Every field of every check appears in the report text, in report order.
void ExpectReportHoldsTheChecks(const backup::TVerifyReport& report, const WString& text) {
  size_t at = 0;
  for (const backup::TFileCheck& check : report.checks) {
    std::vector<std::pair<WString, WString>> lines = {{check.label, check.shown}};
    for (const backup::TReportField& f : check.fields) lines.emplace_back(f.name, f.value);
    lines.emplace_back(u"Trust", check.passed ? u"Verified" : u"Failed");
    if (!check.passed) lines.emplace_back(u"Error", check.error);
    for (const auto& [name, value] : lines) {
      WString line;
      LogField(name, value, [&](const WString& l) { line = l; });
      at = text.find(line, at);
      ASSERT_NE(at, WString::npos) << text::ToUtf8(line);
    }
  }
}

TEST_F(DriverCheck, AFileNotInTheCatalogFailsWithItsErrorAndTheOthersStillPass) {
  Start();
  TDevice device = Device(kTailspin);
  device.Files = backup::DriverFiles(device);
  TCatalogChecker checker;
  backup::TReportText log;
  backup::TNoProgress progress;
  const backup::TVerifyReport report = backup::VerifyDriver(device, checker, log, progress);

  EXPECT_FALSE(report.passed);
  ASSERT_NE(report.CatalogCheck(), nullptr);
  EXPECT_EQ(report.CatalogCheck()->path, report.catalog);
  EXPECT_EQ(report.CatalogCheck()->Field(u"Tag").size(), 40u);  // the catalog's own SHA-1
  EXPECT_TRUE(report.CatalogCheck()->passed);
  ASSERT_GE(report.checks.size(), 3u);
  EXPECT_EQ(report.checks[1].label, u"INF File");
  EXPECT_EQ(report.checks[1].path, device.DriverStore);

  size_t failed = 0;
  for (const backup::TFileCheck& check : report.checks) {
    if (check.passed) {
      EXPECT_EQ(check.error, u"") << text::ToUtf8(check.shown);
      continue;
    }
    ++failed;
    EXPECT_EQ(check.shown, u"tailspin.sys");
    EXPECT_EQ(check.error, u"File not found in the catalog");
    EXPECT_EQ(check.Field(u"SHA-1").size(), 40u);
    EXPECT_EQ(check.Field(u"SHA-256").size(), 64u);
  }
  EXPECT_EQ(failed, 1u);
  EXPECT_TRUE(log.Text().starts_with(u"*** Verifying Driver ***\r\n"));
  ExpectReportHoldsTheChecks(report, log.Text());
}

TEST_F(DriverCheck, EachCheckNamesWhoSignedWhatItLookedAt) {
  Start();
  const WString signer = u"CN=Quillon Test Driver Signer";
  TCatalogChecker checker;
  backup::TReportText log;
  backup::TNoProgress progress;

  // With a catalog: the catalog's signer, for it and for every file it lists.
  TDevice device = Device(kTailspin);
  device.Files = backup::DriverFiles(device);
  const backup::TVerifyReport withCatalog = backup::VerifyDriver(device, checker, log, progress);
  ASSERT_NE(withCatalog.CatalogCheck(), nullptr);
  EXPECT_EQ(withCatalog.CatalogCheck()->signer, signer);
  for (const backup::TFileCheck& check : withCatalog.checks)
    EXPECT_EQ(check.signer, check.passed ? signer : u"") << text::ToUtf8(check.shown);  // tailspin.sys: unlisted
  EXPECT_EQ(withCatalog.Signer(), signer);

  // Without one: each file's own signer or its system catalog's; the INF has none.
  TDevice own = Device(kOwnSignature);
  own.Files = backup::DriverFiles(own);
  const backup::TVerifyReport withoutCatalog = backup::VerifyDriver(own, checker, log, progress);
  EXPECT_EQ(withoutCatalog.CatalogCheck(), nullptr);
  size_t signedFiles = 0;
  for (const backup::TFileCheck& check : withoutCatalog.checks) {
    EXPECT_EQ(check.signer, check.passed ? signer : u"") << text::ToUtf8(check.shown);
    signedFiles += check.signer.empty() ? 0 : 1;
  }
  EXPECT_EQ(signedFiles, 2u);  // ownsig.sys on its own, listed.sys through the system catalog
  EXPECT_EQ(withoutCatalog.Signer(), signer);  // named once
}

TEST_F(DriverCheck, ADriverWithoutFilesFailsWithTheBannerAlone) {
  Start();
  TDevice device = Device(kAudioCodec);  // Files not read
  TCatalogChecker checker;
  backup::TReportText log;
  backup::TNoProgress progress;
  const backup::TVerifyReport report = backup::VerifyDriver(device, checker, log, progress);
  EXPECT_FALSE(report.passed);
  EXPECT_TRUE(report.checks.empty());
  EXPECT_EQ(log.Text(), u"*** Verifying Driver ***\r\n\r\n");
}

TEST(ReportText, LinesStartAfterALineBreakAndTextFollowsOnCollapsingDoubledCarriageReturns) {
  backup::TReportText log;
  log.AddLine(u"*** A ***\r\n");
  log.Append(u"x\r\r\n");
  log.AddLine(u"B");
  EXPECT_EQ(log.Text(), u"*** A ***\r\n\r\nx\r\nB\r\n");
  EXPECT_EQ(backup::LineToAppend(u"C", u'x'), u"\r\nC\r\n");
  EXPECT_EQ(backup::LineToAppend(u"C", u'\0'), u"C\r\n");
}

}  // namespace
}  // namespace backuptest
