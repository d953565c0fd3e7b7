// The signing tests' common ground: a offline machine trusting the test root,
// the generated catalogs and files, a recorder of report lines and a counter of
// catalog opens and closes around the machine's trust port.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/Trust.h"
#include "platform/offline/OfflinePlatform.h"
#include "signing/CryptCat.h"

namespace signing_test {

namespace fs = std::filesystem;

inline fs::path SigningDir() { return fs::path(QUILLON_FIXTURES_DIR) / "signing"; }
inline WString Catalog(const std::string& name) { return text::FromPath(SigningDir() / "catalogs" / name); }
inline WString File(const std::string& name) { return text::FromPath(SigningDir() / "files" / name); }

// The manifest's hash text of a generated file ("sha1" or "sha256").
WString ManifestHash(const std::string& file, const std::string& algorithm);

// Forwards every call to the machine's port and counts the catalog opens and closes.
class CountingTrust : public ports::ICatalogTrust {
 public:
  explicit CountingTrust(ports::ICatalogTrust& inner) : inner_(inner) {}
  std::atomic<int> opens = 0, closes = 0;  // checks may run on several threads
  std::atomic<int> walkSteps = 0;           // CryptCATEnumerateMember calls
  std::atomic<uint32_t> providerType = 0;   // of the last CryptAcquireContext
  std::thread::id verifiedOn;               // the thread of the last WinVerifyTrustEx that verified

  bool CryptAcquireContext(winapi::Handle* p, const char16_t* c, const char16_t* n, uint32_t t, uint32_t f) override {
    providerType = t;
    return inner_.CryptAcquireContext(p, c, n, t, f);
  }
  winapi::Handle CryptCATOpen(const char16_t* f, uint32_t o, winapi::Handle p, uint32_t v, uint32_t e) override {
    ++opens;
    return inner_.CryptCATOpen(f, o, p, v, e);
  }
  bool CryptCATClose(winapi::Handle c) override {
    ++closes;
    return inner_.CryptCATClose(c);
  }
  const winapi::CatMember* CryptCATGetMemberInfo(winapi::Handle c, const char16_t* t) override {
    return inner_.CryptCATGetMemberInfo(c, t);
  }
  const winapi::CatMember* CryptCATEnumerateMember(winapi::Handle c, const winapi::CatMember* p) override {
    ++walkSteps;
    return inner_.CryptCATEnumerateMember(c, p);
  }
  const winapi::CatAttribute* CryptCATEnumerateCatAttr(winapi::Handle c, const winapi::CatAttribute* p) override {
    return inner_.CryptCATEnumerateCatAttr(c, p);
  }
  int32_t WinVerifyTrustEx(winapi::Handle w, const winapi::Guid* a, winapi::TrustData* d) override {
    if (d->dwStateAction == winapi::kWtdStateActionVerify) verifiedOn = std::this_thread::get_id();
    return inner_.WinVerifyTrustEx(w, a, d);
  }
  winapi::Handle WTHelperProvDataFromStateData(winapi::Handle s) override {
    return inner_.WTHelperProvDataFromStateData(s);
  }
  winapi::Handle WTHelperGetProvSignerFromChain(winapi::Handle p, uint32_t i, bool c, uint32_t ci) override {
    return inner_.WTHelperGetProvSignerFromChain(p, i, c, ci);
  }
  const winapi::ProviderCert* WTHelperGetProvCertFromChain(winapi::Handle s, uint32_t i) override {
    return inner_.WTHelperGetProvCertFromChain(s, i);
  }
  uint32_t CertGetNameString(winapi::Handle c, uint32_t t, uint32_t f, const void* p, char16_t* n,
                             uint32_t s) override {
    return inner_.CertGetNameString(c, t, f, p, n, s);
  }
  bool CryptCATAdminAcquireContext(winapi::Handle* h, const winapi::Guid* s, uint32_t f) override {
    return inner_.CryptCATAdminAcquireContext(h, s, f);
  }
  bool CryptCATAdminAcquireContext2(winapi::Handle* h, const winapi::Guid* s, const char16_t* a, const void* p,
                                    uint32_t f) override {
    return inner_.CryptCATAdminAcquireContext2(h, s, a, p, f);
  }
  bool CryptCATAdminCalcHashFromFileHandle(winapi::Handle f, uint32_t* s, uint8_t* h, uint32_t fl) override {
    return inner_.CryptCATAdminCalcHashFromFileHandle(f, s, h, fl);
  }
  bool CryptCATAdminCalcHashFromFileHandle2(winapi::Handle a, winapi::Handle f, uint32_t* s, uint8_t* h,
                                            uint32_t fl) override {
    return inner_.CryptCATAdminCalcHashFromFileHandle2(a, f, s, h, fl);
  }
  winapi::Handle CryptCATAdminEnumCatalogFromHash(winapi::Handle a, const uint8_t* h, uint32_t s, uint32_t f,
                                                  winapi::Handle* p) override {
    return inner_.CryptCATAdminEnumCatalogFromHash(a, h, s, f, p);
  }
  bool CryptCATCatalogInfoFromContext(winapi::Handle c, winapi::CatalogInfo* i, uint32_t f) override {
    return inner_.CryptCATCatalogInfoFromContext(c, i, f);
  }
  bool CryptCATAdminReleaseCatalogContext(winapi::Handle a, winapi::Handle c, uint32_t f) override {
    return inner_.CryptCATAdminReleaseCatalogContext(a, c, f);
  }
  bool CryptCATAdminReleaseContext(winapi::Handle a, uint32_t f) override {
    return inner_.CryptCATAdminReleaseContext(a, f);
  }
  winapi::Handle CreateFile(const char16_t* n, uint32_t a, uint32_t s, uint32_t c, uint32_t f) override {
    return inner_.CreateFile(n, a, s, c, f);
  }
  bool CloseHandle(winapi::Handle f) override { return inner_.CloseHandle(f); }

 private:
  ports::ICatalogTrust& inner_;
};

// A offline machine (by default the generated signing machine) installed for
// one test, with a fresh catalog cache and the report lines recorded.
class SigningTest : public ::testing::Test {
 protected:
  void SetUp() override { UseMachine(SigningDir()); }
  void TearDown() override { checker_.reset(); }

  // Loads `folder` (with the machine.ini lines `extraIni` added) and installs it.
  void UseMachine(const fs::path& folder, const std::string& extraIni = {});

  WString Line(const std::string& name, const WString& value) const;
  bool Verify(const WString& catalog, const WString& file) {
    return checker_->VerifyFile(catalog, file, callback, message);
  }
  const CatalogCache& Cache() const { return checker_->Cache(); }
  const WString& Signer() const { return checker_->Signer(); }

  std::vector<WString> lines;
  WString message;
  TShellCallback callback = [this](const WString& line) { lines.push_back(line); };
  std::unique_ptr<offline::OfflinePlatform> platform;
  std::unique_ptr<CountingTrust> counting;
  Platform ports;

 private:
  std::optional<ScopedPlatform> installed_;
  std::optional<TCatalogChecker> checker_;  // a fresh cache for each machine
};

}  // namespace signing_test
