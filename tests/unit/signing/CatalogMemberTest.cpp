// Member checks: is a file listed in a catalog, by its SHA-1 or its SHA-256 hash.
#include "SigningFixture.h"

namespace signing_test {
namespace {

class CatalogMemberTest : public SigningTest {};

TEST_F(CatalogMemberTest, FileListedBySha1PassesWithOneHashLine) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_EQ(lines, (std::vector<WString>{Line("SHA-1", ManifestHash("driver.inf", "sha1"))}));
  EXPECT_EQ(message, u"");
}

TEST_F(CatalogMemberTest, PeFileIsListedByItsImageHashNotItsFlatHash) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.sys")));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], Line("SHA-1", ManifestHash("driver.sys", "sha1")));
}

TEST_F(CatalogMemberTest, SignedPeFileHashLeavesOutItsSignature) {
  // signed.sys is listed under its image hash; the certificate table does not count.
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("signed.sys")));
  EXPECT_EQ(ManifestHash("signed.sys", "sha1"), ManifestHash("unsigned.sys", "sha1"));
}

TEST_F(CatalogMemberTest, FileListedOnlyBySha256PassesWithBothHashLines) {
  EXPECT_TRUE(Verify(Catalog("sha256.cat"), File("sha256only.txt")));
  EXPECT_EQ(lines, (std::vector<WString>{Line("SHA-1", ManifestHash("sha256only.txt", "sha1")),
                                         Line("SHA-256", ManifestHash("sha256only.txt", "sha256"))}));
}

TEST_F(CatalogMemberTest, UnlistedFileFailsWithNotFoundMessage) {
  EXPECT_FALSE(Verify(Catalog("sha1.cat"), File("unlisted.txt")));
  EXPECT_EQ(lines.size(), 2u);
  EXPECT_EQ(message, u"File not found in the catalog");
}

TEST_F(CatalogMemberTest, MissingFileGivesEmptyHashLinesAndFails) {
  EXPECT_FALSE(Verify(Catalog("sha1.cat"), File("no-such-file.sys")));
  EXPECT_EQ(lines, (std::vector<WString>{Line("SHA-1", u""), Line("SHA-256", u"")}));
  EXPECT_EQ(message, u"File not found in the catalog");
}

TEST_F(CatalogMemberTest, RunOfChecksOpensTheCatalogOnce) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("data.bin")));
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.sys")));
  EXPECT_EQ(counting->opens, 1);
  EXPECT_EQ(counting->closes, 0);
}

TEST_F(CatalogMemberTest, OtherCatalogClosesTheFirstAndOpensTheSecond) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_TRUE(Verify(Catalog("sha256.cat"), File("sha256only.txt")));
  EXPECT_EQ(counting->opens, 2);
  EXPECT_EQ(counting->closes, 1);
  EXPECT_EQ(Cache().path, Catalog("sha256.cat"));
}

TEST_F(CatalogMemberTest, MissingCatalogFailsWithTheSystemText) {
  EXPECT_FALSE(Verify(Catalog("no-such.cat"), File("driver.inf")));
  EXPECT_EQ(message, u"The system cannot find the file specified.");
  EXPECT_TRUE(lines.empty());
}

TEST_F(CatalogMemberTest, FailedOpenForgetsThePathSoTheNextCheckReopens) {
  // A catalog that could not be opened once must be opened afresh when it is
  // named again, not reported "Catalog invalid" from the cache.
  const fs::path late = SigningDir() / "late" / "late.cat";
  fs::create_directories(late.parent_path());
  fs::remove(late);
  EXPECT_FALSE(Verify(text::FromPath(late), File("driver.inf")));
  EXPECT_EQ(message, u"The system cannot find the file specified.");
  EXPECT_EQ(Cache().catalog, winapi::kInvalidHandle);

  fs::copy_file(SigningDir() / "catalogs" / "sha1.cat", late);
  EXPECT_TRUE(Verify(text::FromPath(late), File("driver.inf")));
  EXPECT_EQ(message, u"");
  EXPECT_EQ(counting->opens, 2);
  fs::remove(late);
}

TEST_F(CatalogMemberTest, FailedOpenLeavesNoStaleHandleToClose) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_FALSE(Verify(Catalog("malformed-random.cat"), File("driver.inf")));
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_EQ(counting->opens, 3);
  EXPECT_EQ(counting->closes, 1);  // only the handle that was really open
}

TEST_F(CatalogMemberTest, MalformedCatalogFailsWithoutReportLines) {
  for (const char* name : {"malformed-truncated.cat", "malformed-random.cat", "malformed-empty.cat",
                           "malformed-huge-length.cat", "malformed-wrong-type.cat"}) {
    SCOPED_TRACE(name);
    lines.clear();
    EXPECT_FALSE(Verify(Catalog(name), File("driver.inf")));
    EXPECT_FALSE(message.empty());
    EXPECT_TRUE(lines.empty());
  }
}

TEST_F(CatalogMemberTest, Sha256ContextFailureStillReportsTheEmptyHashLine) {
  UseMachine(SigningDir(), "[faults]\nCryptCATAdminAcquireContext2=120");
  EXPECT_FALSE(Verify(Catalog("sha256.cat"), File("sha256only.txt")));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], Line("SHA-256", u""));
  EXPECT_EQ(message, u"File not found in the catalog");
}

TEST_F(CatalogMemberTest, CatalogsAreOpenedThroughAnAesProvider) {
  // Wine reads a catalog signed with a SHA-256 digest through a PROV_RSA_FULL
  // provider as an empty one whose member walk crashes.
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_EQ(counting->providerType, winapi::kProvRsaAes);
}

TEST_F(CatalogMemberTest, WhereTheLookupWorksAMissCostsOneStepOfTheWalkPerCatalog) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_EQ(counting->walkSteps, 0);
  EXPECT_FALSE(Verify(Catalog("sha1.cat"), File("unlisted.txt")));  // a SHA-1 and a SHA-256 miss
  EXPECT_FALSE(Verify(Catalog("sha1.cat"), File("sha256only.txt")));
  EXPECT_EQ(counting->walkSteps, 1);
  EXPECT_EQ(Cache().memberLookup, MemberLookup::Works);
  EXPECT_EQ(message, u"File not found in the catalog");
}

TEST_F(CatalogMemberTest, TheLookupIsJudgedAfreshForEachCatalogOpened) {
  EXPECT_FALSE(Verify(Catalog("sha1.cat"), File("unlisted.txt")));
  EXPECT_EQ(Cache().memberLookup, MemberLookup::Works);
  EXPECT_TRUE(Verify(Catalog("attrs12.cat"), File("driver.inf")));
  EXPECT_EQ(Cache().memberLookup, MemberLookup::Unknown);
}

// The member lookup as Wine has it: a stub that finds nothing. The members are
// walked instead, every one of them, and the verdicts stay what they were.
class CatalogMemberWalkTest : public SigningTest {
 protected:
  void SetUp() override { UseMachine(SigningDir(), "[faults]\nCryptCATGetMemberInfo=0x80092004"); }
};

TEST_F(CatalogMemberWalkTest, ListedFilesAreFoundByWalkingTheMembers) {
  for (const char* name : {"driver.inf", "data.bin", "driver.sys", "Long Name With Spaces.dat"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(Verify(Catalog("sha1.cat"), File(name))) << text::ToUtf8(message);
  }
  EXPECT_EQ(Cache().memberLookup, MemberLookup::Broken);
  EXPECT_EQ(counting->walkSteps, 4 * 6);  // five members and the end, for each file
  EXPECT_TRUE(Verify(Catalog("sha256.cat"), File("sha256only.txt")));
  EXPECT_EQ(lines.back(), Line("SHA-256", ManifestHash("sha256only.txt", "sha256")));
}

TEST_F(CatalogMemberWalkTest, UnlistedFilesStillFail) {
  EXPECT_FALSE(Verify(Catalog("sha1.cat"), File("unlisted.txt")));
  EXPECT_EQ(message, u"File not found in the catalog");
  EXPECT_FALSE(Verify(Catalog("attrs12.cat"), File("data.bin")));
  EXPECT_EQ(message, u"File not found in the catalog");
  EXPECT_FALSE(Verify(Catalog("sha256.cat"), File("driver.sys")));
  EXPECT_EQ(lines.size(), 6u);  // a SHA-1 and a SHA-256 line for each check
  // A file that cannot be hashed names no member: nothing is walked for it.
  const int steps = counting->walkSteps;
  EXPECT_FALSE(Verify(Catalog("sha256.cat"), File("no-such-file.sys")));
  EXPECT_EQ(counting->walkSteps, steps);
}

}  // namespace
}  // namespace signing_test
