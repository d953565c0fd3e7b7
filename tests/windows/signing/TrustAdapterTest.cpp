// The catalog and trust adapter against Wine's wintrust: binding of the "...2"
// functions, real catalogs opened and closed, members, hashes, trust verdicts and
// the quirks the adapter must keep from the checks (see notes on Wine).
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Trust.h"
#include "signing/TrustCheck.h"
#include "windows/support/Fixtures.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

using win32_test::FixturePath;
using win32_test::ManifestHash;
using win32_test::TempFolder;
using win32_test::Win32TestPlatform;

constexpr uint32_t kOpenFlags = winapi::kCryptCatOpenExisting | winapi::kCryptCatOpenExcludePageHashes;

const wchar_t* W(const WString& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
bool Exists(const WString& path) { return ::GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

std::string Hex(const uint8_t* bytes, size_t n) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < n; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

class TrustAdapter : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32_test::FixturesPresent()) GTEST_SKIP() << "no fixtures: build the Linux fixtures first";
    ASSERT_TRUE(os.trust->CryptAcquireContext(&provider, nullptr, nullptr, winapi::kProvRsaAes,
                                              winapi::kCryptVerifyContext))
        << ::GetLastError();
    EXPECT_NE(provider, 0u);
  }
  void TearDown() override {
    if (provider) ::CryptReleaseContext(provider, 0);
  }
  winapi::Handle Open(const std::string& catalog) {
    return os.trust->CryptCATOpen(FixturePath("signing/catalogs/" + catalog).c_str(), kOpenFlags, provider, 0, 0);
  }
  // The hash of a file through the adapter: size probe, then the hash.
  std::string Hash(winapi::Handle file) {
    uint32_t size = 0;
    EXPECT_TRUE(os.trust->CryptCATAdminCalcHashFromFileHandle(file, &size, nullptr, 0));
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, 20u);
    uint8_t hash[20] = {};
    EXPECT_TRUE(os.trust->CryptCATAdminCalcHashFromFileHandle(file, &size, hash, 0)) << ::GetLastError();
    return Hex(hash, size);
  }
  winapi::Handle OpenFile(const WString& path) {
    return os.trust->CreateFile(path.c_str(), winapi::kGenericRead, winapi::kFileShareRead, winapi::kOpenExisting,
                                winapi::kFileAttributeNormal);
  }
  Win32TestPlatform os;
  winapi::Handle provider = 0;
};

// The tags of a catalog's members in the order the adapter's walk gives them.
std::vector<std::string> WalkedTags(ports::ICatalogTrust& trust, winapi::Handle catalog) {
  std::vector<std::string> tags;
  for (const winapi::CatMember* m = trust.CryptCATEnumerateMember(catalog, nullptr); m;
       m = trust.CryptCATEnumerateMember(catalog, m)) {
    EXPECT_TRUE(m->gSubjectType == winapi::kSubjectFlatFile || m->gSubjectType == winapi::kSubjectPeImage);
    tags.push_back(m->pwszReferenceTag ? text::ToUtf8(m->pwszReferenceTag) : std::string("(no tag)"));
  }
  return tags;
}

// The catalog's SHA-1 members, last listed first (as Windows walks them too).
std::vector<std::string> Sha1MembersWalked() {
  std::vector<std::string> expected;
  for (const char* name : {"Long Name With Spaces.dat", "signed.sys", "driver.sys", "data.bin", "driver.inf"})
    expected.push_back(ManifestHash(name));
  return expected;
}

TEST_F(TrustAdapter, WalksTheMembersOfASha1CatalogLastListedFirst) {
  const winapi::Handle catalog = Open("sha1.cat");
  ASSERT_NE(catalog, winapi::kInvalidHandle) << ::GetLastError();
  EXPECT_EQ(WalkedTags(*os.trust, catalog), Sha1MembersWalked());
  // A second walk starts afresh.
  EXPECT_EQ(WalkedTags(*os.trust, catalog), Sha1MembersWalked());
  const winapi::CatMember stranger{};
  EXPECT_EQ(os.trust->CryptCATEnumerateMember(catalog, &stranger), nullptr);
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(os.trust->CryptCATClose(catalog));
}

TEST_F(TrustAdapter, ACatalogSignedWithASha256DigestIsWalkedThroughTheAesProvider) {
  // Opened through a PROV_RSA_FULL provider, Wine reads this catalog as an empty
  // one and its walk crashes: the checks acquire an AES provider.
  const winapi::Handle catalog = Open("sha256-signed.cat");
  ASSERT_NE(catalog, winapi::kInvalidHandle) << ::GetLastError();
  EXPECT_EQ(WalkedTags(*os.trust, catalog), Sha1MembersWalked());
  EXPECT_TRUE(os.trust->CryptCATClose(catalog));
}

TEST_F(TrustAdapter, MemberAndAttributeLookupsAreWinesStubs) {
  const winapi::Handle catalog = Open("attrs12.cat");
  ASSERT_NE(catalog, winapi::kInvalidHandle);
  const WString tag = text::FromUtf8(ManifestHash("driver.inf"));
  const winapi::CatMember* member = os.trust->CryptCATGetMemberInfo(catalog, tag.c_str());
  if (member) GTEST_SKIP() << "CryptCATGetMemberInfo works here (not Wine's stub)";
  EXPECT_EQ(::GetLastError(), winapi::kCryptENotFound);
  EXPECT_EQ(os.trust->CryptCATEnumerateCatAttr(catalog, nullptr), nullptr);
  EXPECT_EQ(os.trust->CryptCATGetMemberInfo(catalog, nullptr), nullptr);
  EXPECT_TRUE(os.trust->CryptCATClose(catalog));
}

TEST_F(TrustAdapter, MissingCatalogFailsAndLeavesNoFileBehind) {
  TempFolder temp(L"missing-cat");
  const WString missing = temp.Text() + u"\\absent.cat";
  EXPECT_EQ(os.trust->CryptCATOpen(missing.c_str(), kOpenFlags, provider, 0, 0), winapi::kInvalidHandle);
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(Exists(missing));
  const WString noFolder = temp.Text() + u"\\no\\such\\folder.cat";
  EXPECT_EQ(os.trust->CryptCATOpen(noFolder.c_str(), kOpenFlags, provider, 0, 0), winapi::kInvalidHandle);
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(os.trust->CryptCATOpen(temp.Text().c_str(), kOpenFlags, provider, 0, 0), winapi::kInvalidHandle);
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_EQ(os.trust->CryptCATOpen(u"", kOpenFlags, provider, 0, 0), winapi::kInvalidHandle);
}

TEST_F(TrustAdapter, ACatalogOfSha256TagsIsWalkedWithItsTags) {
  const winapi::Handle catalog = Open("sha256.cat");
  ASSERT_NE(catalog, winapi::kInvalidHandle) << ::GetLastError();
  EXPECT_EQ(WalkedTags(*os.trust, catalog),
            (std::vector<std::string>{ManifestHash("driver.inf", "sha256"), ManifestHash("sha256only.txt", "sha256")}));
  EXPECT_TRUE(os.trust->CryptCATClose(catalog));
}

TEST_F(TrustAdapter, HashesAFileWholeWhereverItsPointerStands) {
  const winapi::Handle file = OpenFile(FixturePath("signing/files/driver.inf"));
  ASSERT_NE(file, winapi::kInvalidHandle) << ::GetLastError();
  EXPECT_EQ(Hash(file), ManifestHash("driver.inf"));
  char skipped[7];
  DWORD read = 0;
  ASSERT_TRUE(::ReadFile(reinterpret_cast<HANDLE>(file), skipped, sizeof skipped, &read, nullptr));
  EXPECT_EQ(Hash(file), ManifestHash("driver.inf"));
  EXPECT_TRUE(os.trust->CloseHandle(file));
  EXPECT_EQ(OpenFile(FixturePath("signing/files/no-such-file")), winapi::kInvalidHandle);
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(TrustAdapter, SecondGenerationFunctionsAreBoundAtRunTime) {
  HMODULE wintrust = ::GetModuleHandleW(L"wintrust.dll");
  ASSERT_NE(wintrust, nullptr);
  winapi::Handle admin = 0x55;
  static const winapi::Guid kNoSubsystem{};
  const bool acquired = os.trust->CryptCATAdminAcquireContext2(&admin, &kNoSubsystem, u"SHA256", nullptr, 0);
  const DWORD acquireError = ::GetLastError();
  if (!::GetProcAddress(wintrust, "CryptCATAdminAcquireContext2")) {
    EXPECT_FALSE(acquired);
    EXPECT_EQ(acquireError, DWORD(ERROR_PROC_NOT_FOUND));
  } else if (!acquired) {
    EXPECT_EQ(acquireError, DWORD(ERROR_CALL_NOT_IMPLEMENTED));  // Wine's exported stub
  }
  if (!acquired) {
    EXPECT_EQ(admin, 0u);
  }

  winapi::Handle admin1 = 0;
  ASSERT_TRUE(os.trust->CryptCATAdminAcquireContext(&admin1, &winapi::kDriverActionVerify, 0));
  const winapi::Handle file = OpenFile(FixturePath("signing/files/driver.inf"));
  ASSERT_NE(file, winapi::kInvalidHandle);
  uint32_t size = 0;
  const bool probed = os.trust->CryptCATAdminCalcHashFromFileHandle2(admin1, file, &size, nullptr, 0);
  if (!::GetProcAddress(wintrust, "CryptCATAdminCalcHashFromFileHandle2")) {
    EXPECT_FALSE(probed);
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  } else {
    EXPECT_TRUE(probed);
    EXPECT_EQ(size, 20u);
  }
  EXPECT_TRUE(os.trust->CloseHandle(file));
  EXPECT_TRUE(os.trust->CryptCATAdminReleaseContext(admin1, 0));
  if (acquired) {
    EXPECT_TRUE(os.trust->CryptCATAdminReleaseContext(admin, 0));
  }
}

// WinVerifyTrustEx with the driver policy on a file, with its state released after.
int32_t Verify(ports::ICatalogTrust& trust, const WString& path, uint32_t providerFlags, bool* stateHeld = nullptr) {
  winapi::TrustFileInfo file;
  winapi::TrustData data = cryptcat::VerifyTrustData(file, path, providerFlags);
  winapi::Guid policy = winapi::kDriverActionVerify;
  const int32_t verdict = trust.WinVerifyTrustEx(winapi::kInvalidHandle, &policy, &data);
  if (stateHeld) *stateHeld = data.hWVTStateData != 0;
  data.dwStateAction = winapi::kWtdStateActionClose;
  EXPECT_EQ(trust.WinVerifyTrustEx(winapi::kInvalidHandle, &policy, &data), 0);
  return verdict;
}

TEST_F(TrustAdapter, TrustVerdictsAreWinesDriverPolicyStub) {
  bool stateHeld = false;
  // Any well-formed signature passes: the driver policy does not check the root.
  EXPECT_EQ(Verify(*os.trust, FixturePath("signing/catalogs/sha1.cat"), winapi::kWtdRevocationCheckChain,
                   &stateHeld),
            0);
  EXPECT_TRUE(stateHeld);
  EXPECT_EQ(Verify(*os.trust, FixturePath("signing/catalogs/untrusted.cat"), winapi::kWtdRevocationCheckChain), 0);
  EXPECT_EQ(uint32_t(Verify(*os.trust, FixturePath("signing/catalogs/unsigned.cat"), winapi::kWtdRevocationCheckChain)),
            winapi::kTrustENoSignature);
  EXPECT_EQ(uint32_t(Verify(*os.trust, FixturePath("signing/files/signed-tampered.sys"), winapi::kWtdNoPolicyUsageFlag)),
            winapi::kTrustEBadDigest);
  EXPECT_EQ(uint32_t(Verify(*os.trust, FixturePath("signing/files/unsigned.sys"), winapi::kWtdNoPolicyUsageFlag)),
            winapi::kTrustENoSignature);
}

// The checks read the signer from the state of their trust check: the provider
// data, its first signer, that signer's certificate and its subject.
TEST_F(TrustAdapter, TheSignersSubjectComesFromTheStateOfTheTrustCheck) {
  const auto signerOf = [](const std::string& fixture, uint32_t providerFlags) {
    WString message, signer;
    cryptcat::RunTrustCheck(FixturePath(fixture), providerFlags, message, signer);
    return text::ToUtf8(signer);
  };
  EXPECT_EQ(signerOf("signing/catalogs/sha1.cat", winapi::kWtdRevocationCheckChain), "CN=Quillon Test Driver Signer");
  EXPECT_EQ(signerOf("signing/catalogs/untrusted.cat", winapi::kWtdRevocationCheckChain),
            "CN=Quillon Untrusted Signer");
  EXPECT_EQ(signerOf("signing/catalogs/unsigned.cat", winapi::kWtdRevocationCheckChain), "");
  EXPECT_EQ(signerOf("signing/files/signed.sys", winapi::kWtdNoPolicyUsageFlag), "CN=Quillon Test Driver Signer");
  EXPECT_EQ(signerOf("signing/files/unsigned.sys", winapi::kWtdNoPolicyUsageFlag), "");
}

// The same certificate and expectation as the offline machine's own formatting.
TEST_F(TrustAdapter, ASubjectIsWrittenMostSpecificPartFirstWithQuotesWhereNeeded) {
  std::ifstream in(std::string(QUILLON_FIXTURES_DIR) + "/signing/pki/named.cer", std::ios::binary);
  const std::vector<BYTE> der{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(der.empty());
  PCCERT_CONTEXT certificate = ::CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), DWORD(der.size()));
  ASSERT_NE(certificate, nullptr) << ::GetLastError();
  const winapi::Handle context = reinterpret_cast<winapi::Handle>(certificate);
  const uint32_t x500 = winapi::kCertX500NameStr | winapi::kCertNameStrReverseFlag;
  const uint32_t size = os.trust->CertGetNameString(context, winapi::kCertNameRdnType, 0, &x500, nullptr, 0);
  WString subject(size, u'\0');
  EXPECT_EQ(os.trust->CertGetNameString(context, winapi::kCertNameRdnType, 0, &x500, subject.data(), size), size);
  EXPECT_EQ(text::ToUtf8(subject.c_str()),
            "CN=Quillon Named Signer, OU=Drivers, O=\"Quillon, Test \"\"Org\"\"\", L=Redmond, S=Washington, C=US");
  ::CertFreeCertificateContext(certificate);
}

// Copies a catalog into the system's catalog database, which every verification
// reads: runs alone (see quillon_add_test).
class SeededCatalogDatabase : public TrustAdapter {};

TEST_F(SeededCatalogDatabase, SystemCatalogsAreFoundByHash) {
  // Wine searches the catalog database folder itself: a catalog copied there is found.
  wchar_t system[MAX_PATH];
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring database = std::wstring(system) + L"\\catroot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";
  ::CreateDirectoryW((std::wstring(system) + L"\\catroot").c_str(), nullptr);
  ::CreateDirectoryW(database.c_str(), nullptr);
  const std::wstring copy = database + L"\\quillon" + std::to_wstring(::GetCurrentProcessId()) + L".cat";
  ASSERT_TRUE(::CopyFileW(W(FixturePath("signing/catalogs/sha1.cat")), copy.c_str(), FALSE)) << ::GetLastError();

  winapi::Handle admin = 0;
  ASSERT_TRUE(os.trust->CryptCATAdminAcquireContext(&admin, &winapi::kDriverActionVerify, 0));
  const winapi::Handle file = OpenFile(FixturePath("signing/files/driver.inf"));
  ASSERT_NE(file, winapi::kInvalidHandle);
  uint8_t hash[20];
  uint32_t size = sizeof hash;
  ASSERT_TRUE(os.trust->CryptCATAdminCalcHashFromFileHandle(file, &size, hash, 0));
  os.trust->CloseHandle(file);

  winapi::Handle info = os.trust->CryptCATAdminEnumCatalogFromHash(admin, hash, size, 0, nullptr);
  bool foundCopy = false;
  while (info) {
    winapi::CatalogInfo catalog;
    catalog.cbStruct = sizeof catalog;
    ASSERT_TRUE(os.trust->CryptCATCatalogInfoFromContext(info, &catalog, 0));
    const std::wstring path = reinterpret_cast<const wchar_t*>(catalog.wszCatalogFile);
    foundCopy = foundCopy || _wcsicmp(path.c_str(), copy.c_str()) == 0;
    // Passing the previous context releases it; the walk ends with none held.
    winapi::Handle previous = info;
    info = os.trust->CryptCATAdminEnumCatalogFromHash(admin, hash, size, 0, &previous);
  }
  EXPECT_TRUE(foundCopy);
  const uint8_t unknown[20] = {1, 2, 3};
  EXPECT_EQ(os.trust->CryptCATAdminEnumCatalogFromHash(admin, unknown, 20, 0, nullptr), 0u);
  EXPECT_TRUE(os.trust->CryptCATAdminReleaseContext(admin, 0));
  ::DeleteFileW(copy.c_str());
}

}  // namespace
