// The catalog checks (VerifyFile and its building blocks) through the Win32
// adapter under Wine. Wine stubs the member and attribute lookups (the checks
// walk the members instead) and the driver policy (any well-formed signature
// passes), so the trust verdicts are tested on Linux, the member verdicts here.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/Trust.h"
#include "signing/CryptCat.h"
#include "windows/support/Fixtures.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

using win32_test::FixturePath;
using win32_test::ManifestHash;
using win32_test::TempFolder;
using win32_test::Win32TestPlatform;

bool Exists(const WString& path) {
  return ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str())) != INVALID_FILE_ATTRIBUTES;
}

class Win32CatalogChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32_test::FixturesPresent()) GTEST_SKIP() << "no fixtures: build the Linux fixtures first";
  }
  // Each test has a checker of its own, so it starts without an open catalog.
  bool VerifyFile(const WString& catalog, const WString& file, const TShellCallback& callback, WString& message) {
    return checker.VerifyFile(catalog, file, callback, message);
  }
  TShellCallback Recorder() {
    return [this](const WString& line) { lines.push_back(text::ToUtf8(line)); };
  }
  static std::string Line(const std::string& name, const std::string& value) {
    std::string padded = name.substr(0, 10);
    padded.resize(10, ' ');
    return padded + " : " + value + "\r\n";
  }
  Win32TestPlatform os;
  TCatalogChecker checker;  // after the platform it closes its catalog through
  std::vector<std::string> lines;
  WString message;
};

TEST_F(Win32CatalogChecks, CatalogCheckReportsItsTagAndPassesWinesPolicy) {
  const WString catalog = FixturePath("signing/catalogs/sha1.cat");
  EXPECT_TRUE(VerifyFile(catalog, u"", Recorder(), message)) << text::ToUtf8(message);
  // Wine enumerates no attributes: only the catalog's own hash is reported.
  EXPECT_EQ(lines, std::vector<std::string>{Line("Tag", ManifestHash("sha1.cat"))});
  EXPECT_EQ(checker.Cache().path, catalog);
}

TEST_F(Win32CatalogChecks, UnsignedCatalogFailsWithTheTrustError) {
  EXPECT_FALSE(VerifyFile(FixturePath("signing/catalogs/unsigned.cat"), u"", Recorder(), message));
  EXPECT_EQ(lines, std::vector<std::string>{Line("Tag", ManifestHash("unsigned.cat"))});
  EXPECT_TRUE(checker.Cache().path.empty());  // never opened
}

// Wine's CryptCATGetMemberInfo finds nothing: the checks walk the members.
TEST_F(Win32CatalogChecks, MemberCheckFindsListedFlatFilesAndNoOther) {
  const WString catalog = FixturePath("signing/catalogs/sha1.cat");
  EXPECT_TRUE(VerifyFile(catalog, FixturePath("signing/files/driver.inf"), Recorder(), message))
      << text::ToUtf8(message);
  EXPECT_EQ(lines, std::vector<std::string>{Line("SHA-1", ManifestHash("driver.inf"))});
  const winapi::Handle opened = checker.Cache().catalog;
  // A second check against the same catalog reuses the open handle.
  EXPECT_TRUE(VerifyFile(catalog, FixturePath("signing/files/data.bin"), Recorder(), message));
  EXPECT_EQ(checker.Cache().catalog, opened);

  lines.clear();
  EXPECT_FALSE(VerifyFile(catalog, FixturePath("signing/files/unlisted.txt"), Recorder(), message));
  EXPECT_EQ(message, u"File not found in the catalog");
  // SHA-256 needs CryptCATAdminAcquireContext2, a stub in Wine: an empty hash.
  EXPECT_EQ(lines, (std::vector<std::string>{Line("SHA-1", ManifestHash("unlisted.txt")), Line("SHA-256", "")}));
}

TEST_F(Win32CatalogChecks, APeFileIsListedOnlyWhereItsImageHashIsComputed) {
  // The catalog lists driver.sys by its image hash; Wine hashes the file whole.
  const WString file = FixturePath("signing/files/driver.sys");
  const bool imageHash = text::ToUtf8(CalcFileHash(file)) == ManifestHash("driver.sys");
  EXPECT_EQ(VerifyFile(FixturePath("signing/catalogs/sha1.cat"), file, Recorder(), message), imageHash);
  EXPECT_EQ(message, imageHash ? u"" : u"File not found in the catalog");
}

TEST_F(Win32CatalogChecks, ACatalogSignedWithASha256DigestIsSearchedWithoutCrashing) {
  const WString catalog = FixturePath("signing/catalogs/sha256-signed.cat");
  EXPECT_TRUE(VerifyFile(catalog, FixturePath("signing/files/driver.inf"), Recorder(), message))
      << text::ToUtf8(message);
  EXPECT_FALSE(VerifyFile(catalog, FixturePath("signing/files/unlisted.txt"), Recorder(), message));
}

TEST_F(Win32CatalogChecks, MissingCatalogIsReportedAndNotCreated) {
  TempFolder temp(L"checks-missing");
  const WString missing = temp.Text() + u"\\gone.cat";
  EXPECT_FALSE(VerifyFile(missing, FixturePath("signing/files/driver.inf"), Recorder(), message));
  EXPECT_FALSE(Exists(missing));
  EXPECT_TRUE(lines.empty());
  EXPECT_NE(message, u"File not found in the catalog");
  EXPECT_FALSE(message.empty());  // the system's text for "file not found"
  EXPECT_EQ(checker.Cache().catalog, winapi::kInvalidHandle);
  // The catalog check of a missing path says so without opening anything.
  EXPECT_FALSE(VerifyFile(missing, u"", Recorder(), message));
  EXPECT_EQ(message, u"File not found or invalid");
  EXPECT_FALSE(Exists(missing));
}

TEST_F(Win32CatalogChecks, Sha256CatalogIsCheckedWithoutCrashing) {
  const WString catalog = FixturePath("signing/catalogs/sha256.cat");
  const bool listed = VerifyFile(catalog, FixturePath("signing/files/sha256only.txt"), Recorder(), message);
  ASSERT_GE(lines.size(), 1u);
  EXPECT_EQ(lines[0], Line("SHA-1", ManifestHash("sha256only.txt")));
  if (!listed) {
    EXPECT_EQ(message, u"File not found in the catalog");
  }
}

TEST_F(Win32CatalogChecks, MemberCheckOfAMissingFileReportsEmptyHashes) {
  EXPECT_FALSE(VerifyFile(FixturePath("signing/catalogs/sha1.cat"), FixturePath("signing/files/absent.sys"),
                          Recorder(), message));
  EXPECT_EQ(lines, (std::vector<std::string>{Line("SHA-1", ""), Line("SHA-256", "")}));
  EXPECT_EQ(message, u"File not found in the catalog");
}

TEST_F(Win32CatalogChecks, EmbeddedSignatureOfASignedFilePassesWinesPolicy) {
  EXPECT_TRUE(VerifyFile(u"", FixturePath("signing/files/signed.sys"), Recorder(), message));
  EXPECT_TRUE(lines.empty());
}

TEST_F(Win32CatalogChecks, UnsignedFileFallsBackToTheSystemCatalogSearch) {
  // The search's size probe needs CryptCATAdminCalcHashFromFileHandle2, which Wine
  // lacks: no system catalog is ever found there.
  if (::GetProcAddress(::GetModuleHandleW(L"wintrust.dll"), "CryptCATAdminCalcHashFromFileHandle2"))
    GTEST_SKIP() << "this wintrust has CryptCATAdminCalcHashFromFileHandle2";
  EXPECT_FALSE(VerifyFile(u"", FixturePath("signing/files/unsigned.sys"), Recorder(), message));
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(GetCatalogForFile(FixturePath("signing/files/driver.inf")).empty());
}

TEST_F(Win32CatalogChecks, HashesMatchTheManifestForFlatFiles) {
  EXPECT_EQ(text::ToUtf8(CalcFileHash(FixturePath("signing/files/data.bin"))), ManifestHash("data.bin"));
  EXPECT_EQ(text::ToUtf8(CalcFileHash(FixturePath("signing/files/Long Name With Spaces.dat"))),
            ManifestHash("Long Name With Spaces.dat"));
  EXPECT_TRUE(CalcFileHash(FixturePath("signing/files/absent.sys")).empty());
  WString sha256Message;
  const WString sha256 = CalcFileHashSha256(FixturePath("signing/files/data.bin"), sha256Message);
  if (!sha256.empty()) {
    EXPECT_EQ(text::ToUtf8(sha256), ManifestHash("data.bin", "sha256"));
  } else {
    EXPECT_FALSE(sha256Message.empty());  // why the SHA-256 context failed
  }
}

}  // namespace
