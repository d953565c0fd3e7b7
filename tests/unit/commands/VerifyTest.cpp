// Verify Signatures and VerifyDriver: which files are checked, in which order,
// how the report reads, the verdict, the progress bar and the dialogs.
#include <regex>

#include "tests/unit/commands/CommandMachine.h"

namespace commandtest {
namespace {

// Hash values change with every generation of the fixtures; the layout does not.
WString MaskHashes(const WString& log) {
  const std::regex hash("(Tag        : |SHA-1      : |SHA-256    : )[0-9A-F]+\r\n");
  return text::FromUtf8(std::regex_replace(text::ToUtf8(log), hash, "$1#\r\n"));
}

const WString kHeader = u"*** Verifying Driver ***\r\n\r\n";
const WString kVerified = u"Trust      : Verified\r\n\r\n";

WString MemberBlock(const WString& bareName) { return u"File       : " + bareName + u"\r\nSHA-1      : #\r\n" + kVerified; }

// What a package checked through `catalog` reports when every file is listed.
WString PassingReport(const TDevice& d, const WString& catalog) {
  WString want = kHeader + u"Catalog    : " + catalog + u"\r\nTag        : #\r\n" + kVerified + u"INF File   : " +
                 d.DriverStore + u"\r\nSHA-1      : #\r\n" + kVerified;
  const WString folder = paths::ExtractFilePath(d.DriverStore);
  for (const WString& entry : d.Files)
    if (!paths::MatchesMask(entry, u"*.cat") && folder + entry != d.DriverStore)
      want += MemberBlock(paths::ExtractFileName(entry));
  return want;
}

class Verify : public CommandTest {
 protected:
  void SetUp() override { Start(); }
};

TEST_F(Verify, ValidPackageReportsCatalogInfAndEachFileByBareNameThenPasses) {
  TDevice& d = Select(kAudioCodec);
  ASSERT_NE(std::find(d.Files.begin(), d.Files.end(), text::FromPath(fs::path("sub") / "codec.dat")), d.Files.end());
  form->btnVerifyClick();
  EXPECT_EQ(MaskHashes(Log()), PassingReport(d, paths::ExtractFilePath(d.DriverStore) + u"audiocodec.cat"));
  EXPECT_NE(Log().find(u"File       : codec.dat\r\n"), WString::npos);  // not sub/codec.dat
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "[information] Verify completed with no reported errors. See Shell output for details."}));
  EXPECT_EQ(events.back(), "[progress] closed");
  EXPECT_EQ(view.pages.ActivePage(), view::Page::tsOutput);
  EXPECT_EQ(form->frmProgress(), nullptr);
}

TEST_F(Verify, FileNotInTheCatalogFailsWithItsMessageAndTheRestIsStillChecked) {
  TDevice& d = Select(kTailspin);
  form->btnVerifyClick();
  const WString log = Log();
  EXPECT_NE(log.find(u"File       : tailspin.sys\r\nSHA-1      : "), WString::npos);
  EXPECT_NE(MaskHashes(log).find(u"SHA-256    : #\r\nTrust      : Failed\r\nError      : File not found in the "
                                 u"catalog\r\n\r\n"),
            WString::npos);
  EXPECT_NE(log.find(u"INF File   : " + d.DriverStore + u"\r\n"), WString::npos);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"[error] Verify completed with errors. See Shell output for details."}));
  EXPECT_EQ(form->frmProgress(), nullptr);
}

TEST_F(Verify, WithoutCatalogNameTheSystemCatalogOfTheInfIsUsed) {
  TDevice& d = Select(kLitaudio);
  ASSERT_TRUE(d.OriginalCatName.empty());
  form->btnVerifyClick();
  EXPECT_EQ(MaskHashes(Log()), PassingReport(d, text::FromPath(CatRoot() / "oem5.cat")));
}

TEST_F(Verify, WithoutAnyCatalogEachFileIsCheckedByItsOwnSignatureThenTheSystemCatalogs) {
  TDevice& d = Select(kOwnSignature);
  form->btnVerifyClick();
  WString want = kHeader;
  for (const WString& entry : d.Files) {
    if (entry == u"ownsig.sys") want += u"File       : ownsig.sys\r\n" + kVerified;
    if (entry == u"listed.sys")
      want += u"File       : listed.sys\r\nCatalog    : " + text::FromPath(CatRoot() / "oem63.cat") + u"\r\n" + kVerified;
  }
  EXPECT_EQ(d.Files.size(), 3u);  // and the INF, which is never checked without a catalog
  EXPECT_EQ(Log(), want);
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "[information] Verify completed with no reported errors. See Shell output for details."}));
}

TEST_F(Verify, OfTwoCatalogsOnlyTheNamedOneIsCheckedAndNeitherGetsAFileLine) {
  TDevice& d = Select(kTwoCatalogs);
  ASSERT_EQ(std::count_if(d.Files.begin(), d.Files.end(), [](const WString& f) { return paths::MatchesMask(f, u"*.cat"); }),
            2);
  form->btnVerifyClick();
  EXPECT_EQ(MaskHashes(Log()), PassingReport(d, paths::ExtractFilePath(d.DriverStore) + u"twocats.cat"));
  EXPECT_EQ(Log().find(u"extra.cat"), WString::npos);
}

TEST_F(Verify, AnInfSpeltInAnotherCaseIsCheckedASecondTimeWithAFileLine) {
  const fs::path folder = PackageDir(kAudioCodecPackage);
  fs::copy_file(folder / "audiocodec.inf", folder / "AUDIOCODEC.INF");  // same content, listed by its hash
  TDevice& d = Select(kAudioCodec);
  form->btnVerifyClick();
  const WString log = Log();
  EXPECT_NE(log.find(u"INF File   : " + d.DriverStore + u"\r\n"), WString::npos);
  EXPECT_NE(MaskHashes(log).find(MemberBlock(u"AUDIOCODEC.INF")), WString::npos);
  EXPECT_EQ(log.find(u"File       : audiocodec.inf"), WString::npos);
}

TEST_F(Verify, NoFilesIsAFailureWithOnlyTheHeader) {
  Select(kNoDriver);
  view.output.SetText(u"old report");
  form->btnVerifyClick();
  EXPECT_EQ(Log(), kHeader);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"[error] Verify completed with errors. See Shell output for details."}));
}

TEST_F(Verify, NothingSelectedDoesNothing) {
  view.output.SetText(u"kept");
  form->btnVerifyClick();
  EXPECT_EQ(Log(), u"kept");
  EXPECT_TRUE(events.empty());
}

TEST_F(Verify, ProgressTotalIsFilesPlusTwoFirstThenFilesWithSkippedIndexesUsedUp) {
  TDevice d = Select(kAudioCodec);
  TDevice none = d;
  none.Files.clear();
  EXPECT_FALSE(form->VerifyDriver(none, true));
  ASSERT_NE(form->frmProgress(), nullptr);  // left open for the caller
  EXPECT_EQ(form->frmProgress()->TotalValue(), 2);
  EXPECT_EQ(form->frmProgress()->ProgressValue(), 0);
  EXPECT_FALSE(form->frmProgress()->FormatAsBytes());

  d.Files = {u"audiocodec.sys", u"audiocodec.cat"};  // the last one skipped
  EXPECT_TRUE(form->VerifyDriver(d, true));
  EXPECT_EQ(form->frmProgress()->TotalValue(), 2);
  EXPECT_EQ(form->frmProgress()->ProgressValue(), 1);

  d.Files = {u"audiocodec.cat", u"audiocodec.inf", u"audiocodec.sys"};
  EXPECT_TRUE(form->VerifyDriver(d, false));
  EXPECT_EQ(form->frmProgress()->TotalValue(), 3);
  EXPECT_EQ(form->frmProgress()->ProgressValue(), 3);

  d.Files = {u"audiocodec.inf", u"audiocodec.cat"};  // nothing but the catalog and INF steps
  EXPECT_TRUE(form->VerifyDriver(d, false));
  EXPECT_EQ(form->frmProgress()->ProgressValue(), 2);
  form->CloseProgress();
}

TEST_F(Verify, ClearOutputFalseAppendsAReportAfterTheLastOne) {
  TDevice d = Select(kAudioCodec);
  view.output.SetText(u"earlier\r\n");
  d.Files = {u"audiocodec.sys"};
  EXPECT_TRUE(form->VerifyDriver(d, false));
  EXPECT_EQ(Log().rfind(u"earlier\r\n*** Verifying Driver ***\r\n\r\nCatalog    : ", 0), 0u);
  EXPECT_TRUE(form->VerifyDriver(d, true));
  EXPECT_EQ(Log().rfind(kHeader, 0), 0u);
  form->CloseProgress();
}

TEST_F(Verify, AMissingFileFailsButTheCountIsKeptToTheEnd) {
  TDevice d = Select(kAudioCodec);
  d.Files = {u"gone.sys", u"audiocodec.sys"};
  EXPECT_FALSE(form->VerifyDriver(d, true));
  const WString log = Log();
  const size_t gone = log.find(u"File       : gone.sys\r\n");
  ASSERT_NE(gone, WString::npos);
  EXPECT_NE(log.find(u"Trust      : Failed\r\nError      : ", gone), WString::npos);
  EXPECT_NE(MaskHashes(log).find(MemberBlock(u"audiocodec.sys")), WString::npos);
  form->CloseProgress();
}

}  // namespace
}  // namespace commandtest
