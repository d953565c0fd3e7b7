// Files checked without a catalog: their own Authenticode signature, else a
// system catalog that lists them.
#include "SigningFixture.h"

#include <unistd.h>

#include "platform/StillWorking.h"

namespace signing_test {
namespace {

class EmbeddedSignatureTest : public SigningTest {};

TEST_F(EmbeddedSignatureTest, SignedPeFilePassesWithoutReportLines) {
  EXPECT_TRUE(Verify(u"", File("signed.sys")));
  EXPECT_TRUE(lines.empty());
}

TEST_F(EmbeddedSignatureTest, UnsignedPeFileFailsWithNoSignature) {
  EXPECT_FALSE(Verify(u"", File("unsigned.sys")));
  EXPECT_EQ(message, u"No signature was present in the subject.");
  EXPECT_TRUE(lines.empty());
}

TEST_F(EmbeddedSignatureTest, PeFileAlteredAfterSigningFailsWithBadDigest) {
  EXPECT_FALSE(Verify(u"", File("signed-tampered.sys")));
  EXPECT_EQ(message, u"The digital signature of the object did not verify.");
}

TEST_F(EmbeddedSignatureTest, PeFileFromUntrustedRootFails) {
  EXPECT_FALSE(Verify(u"", File("signed-untrusted.sys")));
  EXPECT_EQ(message,
            u"A certificate chain processed, but terminated in a root certificate which is not trusted by the trust "
            u"provider.");
}

TEST_F(EmbeddedSignatureTest, PeFileWithServerOnlySignerFails) {
  EXPECT_FALSE(Verify(u"", File("signed-wrongusage.sys")));
  EXPECT_EQ(message, u"The certificate is not valid for the requested usage.");
}

TEST_F(EmbeddedSignatureTest, FlatFileIsOfAnUnknownForm) {
  EXPECT_FALSE(Verify(u"", File("unlisted.txt")));
  EXPECT_EQ(message, u"The form specified for the subject is not one supported or known by the specified trust "
                     u"provider.");
}

TEST_F(EmbeddedSignatureTest, UnsignedFileListedInASystemCatalogPassesWithCatalogLine) {
  const WString systemCatalog = text::FromPath(
      SigningDir() / "C" / "Windows" / "System32" / "CatRoot" / "{F750E6C3-38EE-11D1-85E5-00C04FC295EE}" /
      "oem42.cat");
  EXPECT_TRUE(Verify(u"", File("syscat.sys")));
  EXPECT_EQ(lines, (std::vector<WString>{Line("Catalog", systemCatalog)}));
  // The message stays that of the embedded check.
  EXPECT_EQ(message, u"No signature was present in the subject.");
}

TEST_F(EmbeddedSignatureTest, SystemCatalogsAreSearchedBySha1Only) {
  // sha256-only.cat in CatRoot lists unlisted.txt by its SHA-256 hash alone.
  EXPECT_FALSE(Verify(u"", File("unlisted.txt")));
  EXPECT_EQ(GetCatalogForFile(File("unlisted.txt")), u"");
}

TEST_F(EmbeddedSignatureTest, GetCatalogForFileNamesTheSystemCatalog) {
  const WString found = GetCatalogForFile(File("syscat.sys"));
  EXPECT_EQ(paths::ExtractFileName(found), u"oem42.cat");
  EXPECT_TRUE(paths::FileExists(found));
  EXPECT_EQ(GetCatalogForFile(File("no-such-file")), u"");
  EXPECT_EQ(GetCatalogForFile(u""), u"");
}

TEST_F(EmbeddedSignatureTest, BothPathsEmptyIsFalseWithoutLines) {
  message = u"stale";
  EXPECT_FALSE(Verify(u"", u""));
  EXPECT_EQ(message, u"");
  EXPECT_TRUE(lines.empty());
}

TEST_F(EmbeddedSignatureTest, MissingFileFailsWithTheSystemText) {
  EXPECT_FALSE(Verify(u"", File("no-such-file.sys")));
  EXPECT_EQ(message, u"The system cannot find the file specified.");
  EXPECT_TRUE(lines.empty());
}

// Checking a file's own signature hashes all of it: on a thread that keeps a window
// answering, a big file is checked on a thread of its own, and its verdict and the
// system's text for it come back as from a check right here. The file lies in a
// copy of the signing machine (the machine reads nothing outside itself).
class BigFileSignatureTest : public SigningTest {
 protected:
  void SetUp() override {
    fs::remove_all(copy);
    fs::copy(SigningDir(), copy, fs::copy_options::recursive);
    std::ofstream(copy / "files" / "big.txt", std::ios::binary) << std::string(working::kFileWorthAThread, 'x');
    UseMachine(copy);
  }
  void TearDown() override {
    SigningTest::TearDown();
    fs::remove_all(copy);
  }
  const fs::path copy = fs::temp_directory_path() / ("quillon-signing-" + std::to_string(::getpid()));
};

TEST_F(BigFileSignatureTest, IsCheckedBesideTheTickingThreadWithTheSameMessage) {
  working::ScopedListener answering([] {});
  EXPECT_FALSE(Verify(u"", text::FromPath(copy / "files" / "big.txt")));
  EXPECT_NE(counting->verifiedOn, std::this_thread::get_id());
  EXPECT_EQ(message, u"The form specified for the subject is not one supported or known by the specified trust "
                     u"provider.");
}

}  // namespace
}  // namespace signing_test
