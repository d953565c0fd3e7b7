// Catalog checks: is the catalog itself trusted by the driver-signing policy, and
// which attributes does it carry.
#include "SigningFixture.h"

namespace signing_test {
namespace {

class CatalogTrustTest : public SigningTest {
 protected:
  WString TagLine(const std::string& catalog) const {
    // The "Tag" line is the catalog file's own SHA-1 hash.
    return Line("Tag", CatalogSha1(catalog));
  }
  static WString CatalogSha1(const std::string& catalog) {
    std::ifstream in(SigningDir() / "manifest.json");
    std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = json.find("\"sha1\": \"", json.find("\"" + catalog + "\": {", json.find("\"catalogs\"")));
    return text::FromUtf8(json.substr(at + 9, 40));
  }
};

TEST_F(CatalogTrustTest, TrustedCatalogPassesWithTagLine) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), u""));
  EXPECT_EQ(lines, (std::vector<WString>{TagLine("sha1.cat")}));
  EXPECT_EQ(message, u"The operation completed successfully.");
}

TEST_F(CatalogTrustTest, Sha256CatalogIsTrustedToo) { EXPECT_TRUE(Verify(Catalog("sha256.cat"), u"")); }

TEST_F(CatalogTrustTest, MissingCatalogReportsNothing) {
  EXPECT_FALSE(Verify(Catalog("no-such.cat"), u""));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(message, u"File not found or invalid");
}

TEST_F(CatalogTrustTest, UntrustedCatalogFailsWithOnlyTheTagLine) {
  EXPECT_FALSE(Verify(Catalog("untrusted.cat"), u""));
  EXPECT_EQ(lines, (std::vector<WString>{TagLine("untrusted.cat")}));
  EXPECT_EQ(message,
            u"A certificate chain processed, but terminated in a root certificate which is not trusted by the trust "
            u"provider.");
  EXPECT_EQ(counting->opens, 0);  // attributes are not read from a catalog that failed
}

TEST_F(CatalogTrustTest, CatalogAlteredAfterSigningFailsWithBadDigest) {
  EXPECT_FALSE(Verify(Catalog("tampered.cat"), u""));
  EXPECT_EQ(message, u"The digital signature of the object did not verify.");
  EXPECT_EQ(lines.size(), 1u);
}

TEST_F(CatalogTrustTest, SignerWithoutCodeSigningUsageFails) {
  EXPECT_FALSE(Verify(Catalog("wrongusage.cat"), u""));
  EXPECT_EQ(message, u"The certificate is not valid for the requested usage.");
}

TEST_F(CatalogTrustTest, UnsignedCatalogFailsWithNoSignature) {
  EXPECT_FALSE(Verify(Catalog("unsigned.cat"), u""));
  EXPECT_EQ(message, u"No signature was present in the subject.");
}

TEST_F(CatalogTrustTest, MachineWithoutTheRootDoesNotTrustTheCatalog) {
  const fs::path bare = fs::path(QUILLON_BINARY_DIR) / "signing-scratch" / "no-roots";
  fs::create_directories(bare / "C");  // a machine with a drive and a catalog, nothing else
  fs::copy_file(SigningDir() / "catalogs" / "sha1.cat", bare / "C" / "sha1.cat", fs::copy_options::overwrite_existing);
  UseMachine(bare);
  EXPECT_FALSE(Verify(text::FromPath(bare / "C" / "sha1.cat"), u""));
  EXPECT_EQ(message, u"A certificate chain could not be built to a trusted root authority.");
}

TEST_F(CatalogTrustTest, MalformedCatalogsFailWithAMessage) {
  for (const char* name : {"malformed-truncated.cat", "malformed-random.cat", "malformed-empty.cat",
                           "malformed-huge-length.cat", "malformed-wrong-type.cat"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Verify(Catalog(name), u""));
    EXPECT_EQ(message, u"No signature was present in the subject.");
  }
}

TEST_F(CatalogTrustTest, ReportsElevenOfTwelveAttributesTrimmed) {
  EXPECT_TRUE(Verify(Catalog("attrs12.cat"), u""));
  ASSERT_EQ(lines.size(), 12u);  // the tag line and eleven attributes
  EXPECT_EQ(lines[1], Line("OS", u"XPX86,XPX64,VistaX86,VistaX64,7X64,10X64"));
  EXPECT_EQ(lines[2], Line("HWID1", u"pci\\ven_8086&dev_1234"));
  EXPECT_EQ(lines[3], Line("PaddedValu", u"Padded value"));  // name cut, NULs and blanks trimmed
  EXPECT_EQ(lines[4], Line("Attr04", u"Value 4"));
  EXPECT_EQ(lines[11], Line("Attr11", u"Value 11"));
}

TEST_F(CatalogTrustTest, CatalogCheckKeepsTheCatalogOpenForItsMembers) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), u""));
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_EQ(counting->opens, 1);
}

}  // namespace
}  // namespace signing_test
