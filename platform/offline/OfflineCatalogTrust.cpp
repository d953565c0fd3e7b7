// The catalog and trust services of the offline machine: catalogs are real .cat
// files parsed as PKCS #7 trust lists, hashes are streamed with OpenSSL, trust
// verdicts chain to the roots machine.ini's [trust] section names, and the catalog
// database is the machine's CatRoot folder. Several threads may check at once
// (each with handles of its own): the handle tables are locked, the reading,
// hashing and verifying are not.
#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>

#include "platform/Trust.h"
#include "platform/offline/Adapters.h"
#include "platform/offline/OfflineAuthenticode.h"
#include "platform/offline/OfflineCatalogFile.h"
#include "platform/offline/OfflineCertName.h"
#include "platform/offline/OpenFile.h"
#include "platform/offline/OfflineCatalogHash.h"
#include "platform/offline/OfflineTrustMessages.h"
#include "platform/offline/RootStores.h"

namespace offline {

namespace {

namespace fs = std::filesystem;
using winapi::Handle;

constexpr char16_t kCatalogDatabase[] = u"C:\\Windows\\System32\\CatRoot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}";
constexpr winapi::Guid kGenericVerifyV2 = {0x00AAC56B, 0xCD44, 0x11D0, {0x8C, 0xC2, 0x00, 0xC0, 0x4F, 0xC2, 0x95, 0xEE}};
constexpr uint32_t kErrorNotFound = 1168;
constexpr uint32_t kEInvalidArgResult = 0x80070057;


WString HexText(const uint8_t* bytes, uint32_t size) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  WString out;
  for (uint32_t i = 0; i < size; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0xF];
  }
  return out;
}

std::string Utf8(const char16_t* s) { return s ? text::ToUtf8(s) : std::string(); }

// An open catalog and the CRYPTCATMEMBER/CRYPTCATATTRIBUTE records handed out for it.
struct OpenCatalog {
  std::unique_ptr<CatalogFile> file;
  std::vector<winapi::CatMember> members;
  std::vector<winapi::CatAttribute> attributes;

  explicit OpenCatalog(std::unique_ptr<CatalogFile> f) : file(std::move(f)) {
    for (const CatalogMemberEntry& e : file->members) {
      winapi::CatMember m;
      m.cbStruct = sizeof(m);
      m.pwszReferenceTag = e.tag.c_str();
      m.pwszFileName = e.fileName.c_str();
      m.gSubjectType = e.subjectType;
      m.dwCertVersion = e.certVersion;
      members.push_back(m);
    }
    for (const CatalogAttributeEntry& e : file->attributes) {
      winapi::CatAttribute a;
      a.cbStruct = sizeof(a);
      a.pwszReferenceTag = e.name.c_str();
      a.dwAttrTypeAndAction = e.flags;
      a.cbValue = uint32_t(e.value.size());
      a.pbValue = e.value.data();
      attributes.push_back(a);
    }
  }
};

class OfflineCatalogTrust final : public ports::ICatalogTrust {
 public:
  explicit OfflineCatalogTrust(Machine& m) : m_(m) {
    RegisterTrustMessageTexts();
    for (const auto& [key, value] : m.Config().Section("trust")) {
      const Located root = m.Locate(text::FromPath(m.Root() / value), u"The trusted root");
      if (!root) throw MachineError("machine.ini: " + text::ToUtf8(root.refusal));
      if (!roots_.AddFile(root.path))
        throw MachineError("machine.ini: [trust] " + key + "=" + value + ": not a readable certificate file");
    }
    // An installation trusts its own root stores; a certificate that does not parse
    // is one Windows could not use either, and is left out.
    for (const auto& [path, der] : RootStoreCertificates(m)) roots_.AddCertificate(der);
  }

  bool CryptAcquireContext(Handle* provider, const char16_t*, const char16_t*, uint32_t providerType,
                           uint32_t flags) override {
    if (!provider) return Fail(winapi::kErrorInvalidParameter, false);
    *provider = 0;
    if (uint32_t e = m_.Fault("CryptAcquireContextW")) return Fail(e, false);
    if (providerType != winapi::kProvRsaAes || !(flags & winapi::kCryptVerifyContext))
      return Fail(winapi::kErrorNotSupported, false);  // only the verify-only AES provider exists here
    std::lock_guard<std::mutex> guard(tables_);
    *provider = NewHandle();
    providers_.insert(*provider);
    return Done(true);
  }

  Handle CryptCATOpen(const char16_t* fileName, uint32_t openFlags, Handle provider, uint32_t, uint32_t) override {
    if (!fileName || !*fileName) return Fail(winapi::kErrorInvalidParameter, winapi::kInvalidHandle);
    if (uint32_t e = m_.Fault("CryptCATOpen", Utf8(fileName))) return Fail(e, winapi::kInvalidHandle);
    if (!(openFlags & winapi::kCryptCatOpenExisting)) return Fail(winapi::kErrorNotSupported, winapi::kInvalidHandle);
    if (provider && !Known(providers_, provider))
      return Fail(winapi::kErrorInvalidParameter, winapi::kInvalidHandle);
    const Located located = m_.Locate(fileName, u"The catalog");
    if (!located) return Fail(RefusalCode(located.refusal), winapi::kInvalidHandle);
    uint32_t error = 0;
    auto file = LoadCatalog(located.path, error);
    if (!file) return Fail(error, winapi::kInvalidHandle);
    auto open = std::make_unique<OpenCatalog>(std::move(file));
    std::lock_guard<std::mutex> guard(tables_);
    const Handle h = NewHandle();
    catalogs_[h] = std::move(open);
    return Done(h);
  }

  bool CryptCATClose(Handle catalog) override {
    std::lock_guard<std::mutex> guard(tables_);
    if (!catalogs_.erase(catalog)) return Fail(winapi::kErrorInvalidParameter, false);
    return Done(true);
  }

  const winapi::CatMember* CryptCATGetMemberInfo(Handle catalog, const char16_t* referenceTag) override {
    OpenCatalog* c = Catalog(catalog);
    if (!c || !referenceTag) return Fail<const winapi::CatMember*>(winapi::kErrorInvalidParameter, nullptr);
    if (uint32_t e = m_.Fault("CryptCATGetMemberInfo")) return Fail<const winapi::CatMember*>(e, nullptr);
    const CatalogMemberEntry* entry = c->file->FindMember(referenceTag);
    if (!entry) return Fail<const winapi::CatMember*>(winapi::kCryptENotFound, nullptr);
    return Done(&c->members[size_t(entry - c->file->members.data())]);
  }

  // Last member first, as Windows (and Wine) walk a catalog.
  const winapi::CatMember* CryptCATEnumerateMember(Handle catalog, const winapi::CatMember* previous) override {
    OpenCatalog* c = Catalog(catalog);
    if (!c) return Fail<const winapi::CatMember*>(winapi::kErrorInvalidParameter, nullptr);
    size_t next = c->members.size();
    if (previous) {
      const winapi::CatMember* base = c->members.data();
      if (previous < base || previous >= base + c->members.size())
        return Fail<const winapi::CatMember*>(winapi::kErrorInvalidParameter, nullptr);
      next = size_t(previous - base);
    }
    if (next == 0) return Fail<const winapi::CatMember*>(winapi::kErrorInvalidParameter, nullptr);
    return Done(&c->members[next - 1]);
  }

  const winapi::CatAttribute* CryptCATEnumerateCatAttr(Handle catalog, const winapi::CatAttribute* previous) override {
    OpenCatalog* c = Catalog(catalog);
    if (!c) return Fail<const winapi::CatAttribute*>(winapi::kErrorInvalidParameter, nullptr);
    size_t next = 0;
    if (previous) {
      const winapi::CatAttribute* base = c->attributes.data();
      if (previous < base || previous >= base + c->attributes.size())
        return Fail<const winapi::CatAttribute*>(winapi::kErrorInvalidParameter, nullptr);
      next = size_t(previous - base) + 1;
    }
    if (next >= c->attributes.size()) return Fail<const winapi::CatAttribute*>(winapi::kCryptENotFound, nullptr);
    return Done(&c->attributes[next]);
  }

  int32_t WinVerifyTrustEx(Handle, const winapi::Guid* action, winapi::TrustData* data) override {
    if (!data || !action || data->cbStruct < offsetof(winapi::TrustData, pSignatureSettings))
      return Verdict(kEInvalidArgResult);
    if (data->dwStateAction == winapi::kWtdStateActionClose) {
      CloseTrustState(data->hWVTStateData);
      data->hWVTStateData = 0;
      return Verdict(0);
    }
    if (!(*action == winapi::kDriverActionVerify) && !(*action == kGenericVerifyV2))
      return Verdict(winapi::kTrustEActionUnknown);
    if (data->dwUnionChoice != winapi::kWtdChoiceFile || !data->pFile || !data->pFile->pcwszFilePath)
      return Verdict(kEInvalidArgResult);
    Handle state = 0;
    if (data->dwStateAction == winapi::kWtdStateActionVerify) {
      std::lock_guard<std::mutex> guard(tables_);
      state = data->hWVTStateData = NewHandle();  // held until the close call, whatever the verdict
      trustStates_[state];
    }
    const char16_t* path = data->pFile->pcwszFilePath;
    if (uint32_t e = m_.Fault("WinVerifyTrustEx", Utf8(path))) return Verdict(e);
    const Located located = m_.Locate(path, u"The file");
    if (!located) return Verdict(RefusalCode(located.refusal));
    TrustVerdict verdict = VerifySubject(located.path, roots_);
    if (state && !verdict.signerCertificate.empty()) KeepSigner(state, std::move(verdict.signerCertificate));
    return Verdict(verdict.code);
  }

  Handle WTHelperProvDataFromStateData(Handle stateData) override {
    return Known(trustStates_, stateData) ? stateData : 0;  // the state stands for its provider data
  }

  Handle WTHelperGetProvSignerFromChain(Handle providerData, uint32_t signerIndex, bool counterSigner,
                                        uint32_t) override {
    std::lock_guard<std::mutex> guard(tables_);
    auto state = trustStates_.find(providerData);
    if (state == trustStates_.end() || signerIndex != 0 || counterSigner) return 0;  // one signer, no countersigners
    return state->second.signer;
  }

  const winapi::ProviderCert* WTHelperGetProvCertFromChain(Handle signer, uint32_t certIndex) override {
    std::lock_guard<std::mutex> guard(tables_);
    auto state = signers_.find(signer);
    // The chain beyond the signing certificate is not kept: nothing here reads it.
    if (state == signers_.end() || certIndex != 0) return nullptr;
    return &trustStates_.at(state->second).certificate;
  }

  uint32_t CertGetNameString(Handle certificate, uint32_t type, uint32_t flags, const void* typePara, char16_t* name,
                             uint32_t size) override {
    std::vector<uint8_t> der;
    {
      std::lock_guard<std::mutex> guard(tables_);
      auto found = certificates_.find(certificate);
      if (found != certificates_.end()) der = found->second;
    }
    const uint32_t strType = typePara ? *static_cast<const uint32_t*>(typePara) : 0;
    WString text;  // only the X.500 form of the subject is written here
    if (!der.empty() && type == winapi::kCertNameRdnType && flags == 0 &&
        (strType & ~winapi::kCertNameStrReverseFlag) == winapi::kCertX500NameStr)
      text = SubjectText(der, strType);
    const uint32_t needed = uint32_t(text.size()) + 1;
    if (!name) return needed;
    if (size == 0) return 0;
    const uint32_t written = std::min(needed, size);
    std::copy_n(text.begin(), written - 1, name);
    name[written - 1] = 0;
    return written;
  }

  bool CryptCATAdminAcquireContext(Handle* catAdmin, const winapi::Guid*, uint32_t flags) override {
    return AcquireAdmin(catAdmin, HashAlgorithm::Sha1, flags, "CryptCATAdminAcquireContext");
  }

  bool CryptCATAdminAcquireContext2(Handle* catAdmin, const winapi::Guid*, const char16_t* hashAlgorithm,
                                    const void*, uint32_t flags) override {
    const WString name = hashAlgorithm ? text::UpperAscii(hashAlgorithm) : WString(u"SHA1");
    if (name != u"SHA1" && name != u"SHA256") {
      if (catAdmin) *catAdmin = 0;
      return Fail(winapi::kNteBadAlgId, false);
    }
    return AcquireAdmin(catAdmin, name == u"SHA1" ? HashAlgorithm::Sha1 : HashAlgorithm::Sha256, flags,
                        "CryptCATAdminAcquireContext2");
  }

  bool CryptCATAdminCalcHashFromFileHandle(Handle file, uint32_t* size, uint8_t* hash, uint32_t flags) override {
    if (uint32_t e = m_.Fault("CryptCATAdminCalcHashFromFileHandle")) return Fail(e, false);
    return CalcHash(file, HashAlgorithm::Sha1, size, hash, flags);
  }

  bool CryptCATAdminCalcHashFromFileHandle2(Handle catAdmin, Handle file, uint32_t* size, uint8_t* hash,
                                            uint32_t flags) override {
    HashAlgorithm algorithm;
    {
      std::lock_guard<std::mutex> guard(tables_);
      auto admin = admins_.find(catAdmin);
      if (admin == admins_.end()) return Fail(winapi::kErrorInvalidParameter, false);
      algorithm = admin->second;
    }
    if (uint32_t e = m_.Fault("CryptCATAdminCalcHashFromFileHandle2")) return Fail(e, false);
    return CalcHash(file, algorithm, size, hash, flags);
  }

  Handle CryptCATAdminEnumCatalogFromHash(Handle catAdmin, const uint8_t* hash, uint32_t size, uint32_t flags,
                                          Handle* previousCatInfo) override {
    if (!Known(admins_, catAdmin) || !hash || size == 0 || flags)
      return Fail<Handle>(winapi::kErrorInvalidParameter, 0);
    if (uint32_t e = m_.Fault("CryptCATAdminEnumCatalogFromHash")) return Fail<Handle>(e, 0);
    fs::path after;
    if (previousCatInfo && *previousCatInfo) {  // continues after it, and releases it
      std::lock_guard<std::mutex> guard(tables_);
      auto previous = catInfos_.find(*previousCatInfo);
      if (previous == catInfos_.end()) return Fail<Handle>(winapi::kErrorInvalidParameter, 0);
      after = previous->second;
      catInfos_.erase(previous);
      *previousCatInfo = 0;
    }
    const WString tag = HexText(hash, size);
    for (const fs::path& candidate : DatabaseCatalogs()) {
      if (!after.empty() && candidate <= after) continue;
      uint32_t error = 0;
      auto catalog = LoadCatalog(candidate, error);
      if (catalog && catalog->FindMember(tag)) {
        std::lock_guard<std::mutex> guard(tables_);
        const Handle h = NewHandle();
        catInfos_[h] = candidate;
        return Done(h);
      }
    }
    return Fail<Handle>(kErrorNotFound, 0);
  }

  bool CryptCATCatalogInfoFromContext(Handle catInfo, winapi::CatalogInfo* info, uint32_t) override {
    std::lock_guard<std::mutex> guard(tables_);
    auto found = catInfos_.find(catInfo);
    if (found == catInfos_.end() || !info) return Fail(winapi::kErrorInvalidParameter, false);
    const WString path = text::FromPath(found->second);
    const size_t n = std::min<size_t>(path.size(), winapi::kMaxPath - 1);
    std::copy_n(path.begin(), n, info->wszCatalogFile);
    info->wszCatalogFile[n] = 0;
    return Done(true);
  }

  bool CryptCATAdminReleaseCatalogContext(Handle catAdmin, Handle catInfo, uint32_t) override {
    std::lock_guard<std::mutex> guard(tables_);
    if (!admins_.count(catAdmin) || !catInfos_.erase(catInfo)) return Fail(winapi::kErrorInvalidParameter, false);
    return Done(true);
  }

  bool CryptCATAdminReleaseContext(Handle catAdmin, uint32_t) override {
    std::lock_guard<std::mutex> guard(tables_);
    if (!admins_.erase(catAdmin)) return Fail(winapi::kErrorInvalidParameter, false);
    return Done(true);
  }

  Handle CreateFile(const char16_t* fileName, uint32_t desiredAccess, uint32_t, uint32_t creationDisposition,
                    uint32_t) override {
    if (!fileName || !*fileName) return Fail(winapi::kErrorPathNotFound, winapi::kInvalidHandle);
    if (uint32_t e = m_.Fault("CreateFileW", Utf8(fileName))) return Fail(e, winapi::kInvalidHandle);
    if (creationDisposition != winapi::kOpenExisting || (desiredAccess & ~winapi::kGenericRead))
      return Fail(winapi::kErrorAccessDenied, winapi::kInvalidHandle);  // the machine's files are read-only here
    const Located located = m_.Locate(fileName, u"The file");
    if (!located) return Fail(RefusalCode(located.refusal), winapi::kInvalidHandle);
    const fs::path& path = located.path;
    std::error_code ec;
    if (fs::is_directory(path, ec)) return Fail(winapi::kErrorAccessDenied, winapi::kInvalidHandle);
    if (!fs::exists(path.parent_path(), ec)) return Fail(winapi::kErrorPathNotFound, winapi::kInvalidHandle);
    UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
      return Fail(fs::exists(path, ec) ? winapi::kErrorAccessDenied : winapi::kErrorFileNotFound,
                  winapi::kInvalidHandle);
    std::lock_guard<std::mutex> guard(tables_);
    const Handle h = NewHandle();
    files_[h] = std::move(file);
    return Done(h);
  }

  bool CloseHandle(Handle file) override {
    std::lock_guard<std::mutex> guard(tables_);
    if (!files_.erase(file)) return Fail(winapi::kErrorInvalidHandle, false);
    return Done(true);
  }

 private:
  // Under tables_.
  Handle NewHandle() { return next_ += 4; }

  template <typename Table>
  bool Known(const Table& table, Handle h) {
    std::lock_guard<std::mutex> guard(tables_);
    return table.count(h) != 0;
  }

  template <typename T>
  static T Done(T result) {
    SetLastError(0);
    return result;
  }

  // WinVerifyTrust returns its verdict and leaves it as the last error too.
  static int32_t Verdict(uint32_t code) {
    SetLastError(code);
    return int32_t(code);
  }

  // Stays valid until its handle is closed, which only its owner does.
  OpenCatalog* Catalog(Handle h) {
    std::lock_guard<std::mutex> guard(tables_);
    auto found = catalogs_.find(h);
    return found == catalogs_.end() ? nullptr : found->second.get();
  }

  bool AcquireAdmin(Handle* catAdmin, HashAlgorithm algorithm, uint32_t flags, const char* api) {
    if (!catAdmin || flags) return Fail(winapi::kErrorInvalidParameter, false);
    *catAdmin = 0;
    if (uint32_t e = m_.Fault(api)) return Fail(e, false);
    std::lock_guard<std::mutex> guard(tables_);
    *catAdmin = NewHandle();
    admins_[*catAdmin] = algorithm;
    return Done(true);
  }

  bool CalcHash(Handle file, HashAlgorithm algorithm, uint32_t* size, uint8_t* hash, uint32_t flags) {
    std::FILE* open = nullptr;
    {
      std::lock_guard<std::mutex> guard(tables_);
      auto found = files_.find(file);
      if (found != files_.end()) open = found->second.Get();
    }
    if (!open || !size || flags) return Fail(winapi::kErrorInvalidParameter, false);
    const uint32_t needed = HashSize(algorithm);
    if (!hash || *size < needed) {
      *size = needed;
      SetLastError(winapi::kErrorInsufficientBuffer);
      return true;  // the size probe succeeds, as on Windows
    }
    auto digest = CatalogHash(open, algorithm);
    if (!digest) return Fail(winapi::kCryptEFileError, false);
    std::copy(digest->begin(), digest->end(), hash);
    *size = needed;
    return Done(true);
  }

  // Keeps the signing certificate of a verify call's state, as its one signer.
  void KeepSigner(Handle state, std::vector<uint8_t> certificate) {
    std::lock_guard<std::mutex> guard(tables_);
    TrustState& kept = trustStates_.at(state);
    kept.signer = NewHandle();
    kept.certificate.cbStruct = sizeof(winapi::ProviderCert);
    kept.certificate.pCert = NewHandle();
    signers_[kept.signer] = state;
    certificates_[kept.certificate.pCert] = std::move(certificate);
  }

  void CloseTrustState(Handle state) {
    std::lock_guard<std::mutex> guard(tables_);
    auto found = trustStates_.find(state);
    if (found == trustStates_.end()) return;
    signers_.erase(found->second.signer);
    certificates_.erase(found->second.certificate.pCert);
    trustStates_.erase(found);
  }

  // The catalogs of the catalog database, in name order.
  std::vector<fs::path> DatabaseCatalogs() const {
    std::vector<fs::path> out;
    const Located database = m_.Locate(kCatalogDatabase, u"The catalog database");
    if (!database) return out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(database.path, ec)) {
      if (!text::EqualsIgnoreCase(text::FromPath(entry.path().extension()), u".cat")) continue;
      const Located catalog = m_.Locate(text::FromPath(entry.path()), u"The catalog");
      if (catalog && fs::is_regular_file(catalog.path, ec)) out.push_back(catalog.path);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  Machine& m_;
  TrustedRoots roots_;
  std::mutex tables_;  // guards next_ and the handle tables below
  Handle next_ = 0x1000;
  std::set<Handle> providers_;
  std::map<Handle, std::unique_ptr<OpenCatalog>> catalogs_;
  std::map<Handle, HashAlgorithm> admins_;
  std::map<Handle, fs::path> catInfos_;
  std::map<Handle, UniqueFile> files_;
  // What a verify call kept until its close: the signer and its certificate (0: none).
  struct TrustState {
    Handle signer = 0;
    winapi::ProviderCert certificate;
  };
  std::map<Handle, TrustState> trustStates_;
  std::map<Handle, Handle> signers_;                     // signer → its trust state
  std::map<Handle, std::vector<uint8_t>> certificates_;  // certificate context → DER
};

}  // namespace

std::unique_ptr<ports::ICatalogTrust> MakeCatalogTrust(Machine& m) { return std::make_unique<OfflineCatalogTrust>(m); }

}  // namespace offline
