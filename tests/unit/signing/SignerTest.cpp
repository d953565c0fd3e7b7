// Who signed what a check looked at: the subject of the signing certificate, read
// from the trust check's state through the trust port, whatever the verdict.
#include <fstream>
#include <iterator>

#include "SigningFixture.h"
#include "platform/offline/OfflineCertName.h"
#include "signing/TrustCheck.h"

namespace signing_test {
namespace {

const WString kTestSigner = u"CN=Quillon Test Driver Signer";
const WString kUntrustedSigner = u"CN=Quillon Untrusted Signer";

class SignerTest : public SigningTest {};

TEST_F(SignerTest, ACatalogCheckNamesTheCatalogsSignerTrustedOrNot) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), u""));
  EXPECT_EQ(Signer(), kTestSigner);
  EXPECT_FALSE(Verify(Catalog("untrusted.cat"), u""));
  EXPECT_EQ(Signer(), kUntrustedSigner);
  EXPECT_FALSE(Verify(Catalog("wrongusage.cat"), u""));
  EXPECT_EQ(Signer(), u"CN=Quillon Server Only");
}

TEST_F(SignerTest, AnUnsignedOrMissingCatalogHasNone) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), u""));
  EXPECT_FALSE(Verify(Catalog("unsigned.cat"), u""));
  EXPECT_EQ(Signer(), u"");  // not the previous check's
  EXPECT_FALSE(Verify(Catalog("no-such.cat"), u""));
  EXPECT_EQ(Signer(), u"");
}

TEST_F(SignerTest, AMemberCheckLeavesTheSignerToTheCatalogsCheck) {
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), u""));
  EXPECT_TRUE(Verify(Catalog("sha1.cat"), File("driver.inf")));
  EXPECT_EQ(Signer(), u"");
}

TEST_F(SignerTest, AFileWithoutACatalogNamesItsOwnSignerOrTheSystemCatalogs) {
  EXPECT_TRUE(Verify(u"", File("signed.sys")));
  EXPECT_EQ(Signer(), kTestSigner);
  EXPECT_FALSE(Verify(u"", File("signed-untrusted.sys")));
  EXPECT_EQ(Signer(), kUntrustedSigner);
  EXPECT_FALSE(Verify(u"", File("unsigned.sys")));
  EXPECT_EQ(Signer(), u"");
  EXPECT_TRUE(Verify(u"", File("syscat.sys")));  // listed in the system catalog oem42.cat
  EXPECT_EQ(Signer(), kTestSigner);
}

// The port as the checks use it: the state of one verify call, until it is closed.
TEST_F(SignerTest, TheSignerLivesInTheTrustStateUntilItIsClosed) {
  ports::ICatalogTrust& trust = *ports.trust;
  const WString path = Catalog("sha1.cat");
  winapi::TrustFileInfo file;
  winapi::TrustData data = cryptcat::VerifyTrustData(file, path, winapi::kWtdRevocationCheckChain);
  winapi::Guid policy = winapi::kDriverActionVerify;
  ASSERT_EQ(trust.WinVerifyTrustEx(winapi::kInvalidHandle, &policy, &data), 0);
  const winapi::Handle state = data.hWVTStateData;

  const winapi::Handle provider = trust.WTHelperProvDataFromStateData(state);
  ASSERT_NE(provider, 0u);
  EXPECT_EQ(trust.WTHelperGetProvSignerFromChain(provider, 1, false, 0), 0u);  // one signer
  EXPECT_EQ(trust.WTHelperGetProvSignerFromChain(provider, 0, true, 0), 0u);   // no countersigner
  const winapi::Handle signer = trust.WTHelperGetProvSignerFromChain(provider, 0, false, 0);
  const winapi::ProviderCert* certificate = trust.WTHelperGetProvCertFromChain(signer, 0);
  ASSERT_NE(certificate, nullptr);
  EXPECT_EQ(certificate->cbStruct, sizeof(winapi::ProviderCert));

  const uint32_t x500 = winapi::kCertX500NameStr | winapi::kCertNameStrReverseFlag;
  const uint32_t needed = trust.CertGetNameString(certificate->pCert, winapi::kCertNameRdnType, 0, &x500, nullptr, 0);
  EXPECT_EQ(needed, kTestSigner.size() + 1);
  char16_t cut[5] = {u'x', u'x', u'x', u'x', u'x'};  // too small: cut, and ended by a NUL
  EXPECT_EQ(trust.CertGetNameString(certificate->pCert, winapi::kCertNameRdnType, 0, &x500, cut, 4), 4u);
  EXPECT_EQ(WString(cut), u"CN=");
  // Another form of name than the X.500 subject is not written here: an empty text.
  EXPECT_EQ(trust.CertGetNameString(certificate->pCert, 4 /* CERT_NAME_SIMPLE_DISPLAY_TYPE */, 0, nullptr, nullptr, 0),
            1u);

  const winapi::Handle context = certificate->pCert;  // the record goes with the state
  data.dwStateAction = winapi::kWtdStateActionClose;
  trust.WinVerifyTrustEx(winapi::kInvalidHandle, &policy, &data);
  EXPECT_EQ(trust.WTHelperProvDataFromStateData(state), 0u);
  EXPECT_EQ(trust.WTHelperGetProvCertFromChain(signer, 0), nullptr);
  EXPECT_EQ(trust.CertGetNameString(context, winapi::kCertNameRdnType, 0, &x500, nullptr, 0), 1u);
}

std::vector<uint8_t> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The same certificate is formatted by Wine's crypt32 in the Windows suite.
TEST(SubjectText, WritesTheSubjectAsCertNameToStrDoes) {
  const std::vector<uint8_t> named = ReadAll(SigningDir() / "pki" / "named.cer");
  ASSERT_FALSE(named.empty());
  EXPECT_EQ(offline::SubjectText(named, winapi::kCertX500NameStr | winapi::kCertNameStrReverseFlag),
            u"CN=Quillon Named Signer, OU=Drivers, O=\"Quillon, Test \"\"Org\"\"\", L=Redmond, S=Washington, C=US");
  EXPECT_EQ(offline::SubjectText(named, winapi::kCertX500NameStr),
            u"C=US, S=Washington, L=Redmond, O=\"Quillon, Test \"\"Org\"\"\", OU=Drivers, CN=Quillon Named Signer");
  EXPECT_EQ(offline::SubjectText({0x30, 0x03, 0x02, 0x01, 0x00}, winapi::kCertX500NameStr), u"");
}

}  // namespace
}  // namespace signing_test
