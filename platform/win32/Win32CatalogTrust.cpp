// The catalog and trust port forwarded to wintrust, crypt32 and advapi32. The
// "...2" catalog-administrator functions are bound at run time (older systems and
// Wine lack them, and the MinGW import library has neither).
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <mscat.h>

#include <cstddef>
#include <cstring>
#include <map>

#include "platform/win32/Adapters.h"
#include "platform/win32/CatalogRecords.h"
#include "platform/win32/Handles.h"
#include "platform/win32/SystemFunction.h"

namespace win32 {

namespace {

// The trust data crosses as it is: the port's records have the SDK's layout
// (WINTRUST_DATA of the current SDK, with pSignatureSettings at its end).
static_assert(sizeof(winapi::TrustFileInfo) == sizeof(WINTRUST_FILE_INFO));
static_assert(offsetof(winapi::TrustFileInfo, hFile) == offsetof(WINTRUST_FILE_INFO, hFile));
static_assert(offsetof(winapi::TrustFileInfo, pgKnownSubject) == offsetof(WINTRUST_FILE_INFO, pgKnownSubject));
static_assert(offsetof(winapi::TrustData, pFile) == offsetof(WINTRUST_DATA, pFile));
static_assert(offsetof(winapi::TrustData, dwStateAction) == offsetof(WINTRUST_DATA, dwStateAction));
static_assert(offsetof(winapi::TrustData, hWVTStateData) == offsetof(WINTRUST_DATA, hWVTStateData));
static_assert(offsetof(winapi::TrustData, dwProvFlags) == offsetof(WINTRUST_DATA, dwProvFlags));
static_assert(offsetof(winapi::TrustData, dwUIContext) == offsetof(WINTRUST_DATA, dwUIContext));
static_assert(sizeof(winapi::CatalogInfo) == sizeof(CATALOG_INFO));
static_assert(offsetof(winapi::ProviderCert, pCert) == offsetof(CRYPT_PROVIDER_CERT, pCert));

using AcquireContext2Fn = BOOL(WINAPI*)(HCATADMIN*, const GUID*, PCWSTR, PCCERT_STRONG_SIGN_PARA, DWORD);
using CalcHash2Fn = BOOL(WINAPI*)(HCATADMIN, HANDLE, DWORD*, BYTE*, DWORD);

HANDLE ToWin(winapi::Handle h) { return reinterpret_cast<HANDLE>(h); }
winapi::Handle FromWin(HANDLE h) { return reinterpret_cast<winapi::Handle>(h); }
DWORD* ToDword(uint32_t* p) { return reinterpret_cast<DWORD*>(p); }
const GUID* ToGuid(const winapi::Guid* g) { return reinterpret_cast<const GUID*>(g); }

template <typename T>
T FailWith(DWORD code, T result) {
  ::SetLastError(code);
  return result;
}

// CryptCATOpen of a missing path without a create flag: Wine creates an empty
// file there and hands out a handle; Windows fails. Fail before the call.
bool MissingCatalog(const wchar_t* path, DWORD openFlags) {
  if (openFlags & (CRYPTCAT_OPEN_CREATENEW | CRYPTCAT_OPEN_ALWAYS)) return false;
  const DWORD attributes = ::GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // the last error says why
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return true;
  }
  return false;
}

// The whole file, wherever an earlier read left its pointer.
bool Rewind(HANDLE file) {
  LARGE_INTEGER start{};
  return ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
}

class Win32CatalogTrust final : public ports::ICatalogTrust {
 public:
  Win32CatalogTrust() {
    HMODULE wintrust = SystemModule(L"wintrust.dll");
    acquireContext2_ = BindFunction<AcquireContext2Fn>(wintrust, "CryptCATAdminAcquireContext2");
    calcHash2_ = BindFunction<CalcHash2Fn>(wintrust, "CryptCATAdminCalcHashFromFileHandle2");
  }

  bool CryptAcquireContext(winapi::Handle* provider, const char16_t* container, const char16_t* providerName,
                           uint32_t providerType, uint32_t flags) override {
    if (!provider) return FailWith(ERROR_INVALID_PARAMETER, false);
    HCRYPTPROV acquired = 0;
    const bool ok = ::CryptAcquireContextW(&acquired, Wide(container), Wide(providerName), providerType, flags);
    *provider = ok ? acquired : 0;
    return ok;
  }

  winapi::Handle CryptCATOpen(const char16_t* fileName, uint32_t openFlags, winapi::Handle provider,
                              uint32_t publicVersion, uint32_t encodingType) override {
    if (!fileName || !*fileName) return FailWith(ERROR_INVALID_PARAMETER, winapi::kInvalidHandle);
    if (MissingCatalog(Wide(fileName), openFlags)) return winapi::kInvalidHandle;
    HANDLE catalog = ::CryptCATOpen(const_cast<wchar_t*>(Wide(fileName)), openFlags, provider, publicVersion,
                                    encodingType);
    if (catalog == INVALID_HANDLE_VALUE || catalog == nullptr) return winapi::kInvalidHandle;
    return FromWin(catalog);
  }

  bool CryptCATClose(winapi::Handle catalog) override {
    members_.erase(catalog);  // the records pointed into the catalog
    return ::CryptCATClose(ToWin(catalog));
  }

  const winapi::CatMember* CryptCATGetMemberInfo(winapi::Handle catalog, const char16_t* referenceTag) override {
    if (!referenceTag) return FailWith<const winapi::CatMember*>(ERROR_INVALID_PARAMETER, nullptr);
    return Record(catalog, ::CryptCATGetMemberInfo(ToWin(catalog), const_cast<wchar_t*>(Wide(referenceTag))));
  }

  const winapi::CatMember* CryptCATEnumerateMember(winapi::Handle catalog,
                                                   const winapi::CatMember* previous) override {
    CRYPTCATMEMBER* system = nullptr;
    if (previous) {
      const MemberRecords& records = members_[catalog];
      const auto found = records.systemOf.find(previous);
      if (found == records.systemOf.end())
        return FailWith<const winapi::CatMember*>(ERROR_INVALID_PARAMETER, nullptr);
      system = const_cast<CRYPTCATMEMBER*>(found->second);
    }
    return Record(catalog, ::CryptCATEnumerateMember(ToWin(catalog), system));
  }

  const winapi::CatAttribute* CryptCATEnumerateCatAttr(winapi::Handle catalog,
                                                       const winapi::CatAttribute* previous) override {
    return ToPortAttribute(::CryptCATEnumerateCatAttr(ToWin(catalog), ToWinAttribute(previous)));
  }

  int32_t WinVerifyTrustEx(winapi::Handle window, const winapi::Guid* action, winapi::TrustData* data) override {
    auto* policy = const_cast<GUID*>(ToGuid(action));
    return ::WinVerifyTrustEx(reinterpret_cast<HWND>(window), policy, reinterpret_cast<WINTRUST_DATA*>(data));
  }

  winapi::Handle WTHelperProvDataFromStateData(winapi::Handle stateData) override {
    return reinterpret_cast<winapi::Handle>(::WTHelperProvDataFromStateData(ToWin(stateData)));
  }

  winapi::Handle WTHelperGetProvSignerFromChain(winapi::Handle providerData, uint32_t signerIndex, bool counterSigner,
                                                uint32_t counterSignerIndex) override {
    if (!providerData) return 0;  // a state without provider data: Windows would read through null
    return reinterpret_cast<winapi::Handle>(::WTHelperGetProvSignerFromChain(
        reinterpret_cast<CRYPT_PROVIDER_DATA*>(providerData), signerIndex, counterSigner, counterSignerIndex));
  }

  const winapi::ProviderCert* WTHelperGetProvCertFromChain(winapi::Handle signer, uint32_t certIndex) override {
    if (!signer) return nullptr;
    return reinterpret_cast<const winapi::ProviderCert*>(
        ::WTHelperGetProvCertFromChain(reinterpret_cast<CRYPT_PROVIDER_SGNR*>(signer), certIndex));
  }

  uint32_t CertGetNameString(winapi::Handle certificate, uint32_t type, uint32_t flags, const void* typePara,
                             char16_t* name, uint32_t size) override {
    return ::CertGetNameStringW(reinterpret_cast<PCCERT_CONTEXT>(certificate), type, flags,
                                const_cast<void*>(typePara), Wide(name), size);
  }

  bool CryptCATAdminAcquireContext(winapi::Handle* catAdmin, const winapi::Guid* subsystem, uint32_t flags) override {
    if (!catAdmin) return FailWith(ERROR_INVALID_PARAMETER, false);
    HCATADMIN admin = nullptr;
    const bool ok = ::CryptCATAdminAcquireContext(&admin, ToGuid(subsystem), flags);
    *catAdmin = ok ? FromWin(admin) : 0;
    return ok;
  }

  bool CryptCATAdminAcquireContext2(winapi::Handle* catAdmin, const winapi::Guid* subsystem,
                                    const char16_t* hashAlgorithm, const void* strongSignPolicy,
                                    uint32_t flags) override {
    if (!catAdmin) return FailWith(ERROR_INVALID_PARAMETER, false);
    *catAdmin = 0;
    if (!acquireContext2_) return FailWith(ERROR_PROC_NOT_FOUND, false);
    HCATADMIN admin = nullptr;
    if (!acquireContext2_(&admin, ToGuid(subsystem), Wide(hashAlgorithm),
                          static_cast<PCCERT_STRONG_SIGN_PARA>(strongSignPolicy), flags))
      return false;
    *catAdmin = FromWin(admin);
    return true;
  }

  bool CryptCATAdminCalcHashFromFileHandle(winapi::Handle file, uint32_t* size, uint8_t* hash,
                                           uint32_t flags) override {
    if (hash && !Rewind(ToWin(file))) return false;
    return ::CryptCATAdminCalcHashFromFileHandle(ToWin(file), ToDword(size), hash, flags);
  }

  bool CryptCATAdminCalcHashFromFileHandle2(winapi::Handle catAdmin, winapi::Handle file, uint32_t* size,
                                            uint8_t* hash, uint32_t flags) override {
    if (!calcHash2_) return FailWith(ERROR_PROC_NOT_FOUND, false);
    if (hash && !Rewind(ToWin(file))) return false;
    return calcHash2_(ToWin(catAdmin), ToWin(file), ToDword(size), hash, flags);
  }

  winapi::Handle CryptCATAdminEnumCatalogFromHash(winapi::Handle catAdmin, const uint8_t* hash, uint32_t size,
                                                  uint32_t flags, winapi::Handle* previousCatInfo) override {
    HCATINFO previous = previousCatInfo ? ToWin(*previousCatInfo) : nullptr;
    HCATINFO found = ::CryptCATAdminEnumCatalogFromHash(ToWin(catAdmin), const_cast<BYTE*>(hash), size, flags,
                                                        previousCatInfo ? &previous : nullptr);
    if (previousCatInfo) *previousCatInfo = FromWin(previous);
    return FromWin(found);
  }

  bool CryptCATCatalogInfoFromContext(winapi::Handle catInfo, winapi::CatalogInfo* info, uint32_t flags) override {
    if (!info) return FailWith(ERROR_INVALID_PARAMETER, false);
    CATALOG_INFO windowsInfo{};
    windowsInfo.cbStruct = info->cbStruct;
    if (!::CryptCATCatalogInfoFromContext(ToWin(catInfo), &windowsInfo, flags)) return false;
    std::memcpy(info->wszCatalogFile, windowsInfo.wszCatalogFile, sizeof info->wszCatalogFile);
    return true;
  }

  bool CryptCATAdminReleaseCatalogContext(winapi::Handle catAdmin, winapi::Handle catInfo, uint32_t flags) override {
    return ::CryptCATAdminReleaseCatalogContext(ToWin(catAdmin), ToWin(catInfo), flags);
  }

  bool CryptCATAdminReleaseContext(winapi::Handle catAdmin, uint32_t flags) override {
    return ::CryptCATAdminReleaseContext(ToWin(catAdmin), flags);
  }

  winapi::Handle CreateFile(const char16_t* fileName, uint32_t desiredAccess, uint32_t shareMode,
                            uint32_t creationDisposition, uint32_t flagsAndAttributes) override {
    HANDLE file = ::CreateFileW(Wide(fileName), desiredAccess, shareMode, nullptr, creationDisposition,
                                flagsAndAttributes, nullptr);
    return file == INVALID_HANDLE_VALUE ? winapi::kInvalidHandle : FromWin(file);
  }

  bool CloseHandle(winapi::Handle file) override { return ::CloseHandle(ToWin(file)); }

 private:
  // The port's member records of one open catalog, keyed by the system's record,
  // and the way back for the walk. Wine hands out one record for a whole walk
  // (and frees it at the end); Windows one per member.
  struct MemberRecords {
    std::map<const CRYPTCATMEMBER*, winapi::CatMember> bySystem;
    std::map<const winapi::CatMember*, const CRYPTCATMEMBER*> systemOf;
  };

  // The port's record of a system member (null: null, the last error kept).
  const winapi::CatMember* Record(winapi::Handle catalog, const CRYPTCATMEMBER* member) {
    if (!member) return nullptr;
    MemberRecords& records = members_[catalog];
    winapi::CatMember& record = records.bySystem[member];
    record = ToPortMember(*member);
    records.systemOf[&record] = member;
    return &record;
  }

  AcquireContext2Fn acquireContext2_ = nullptr;
  CalcHash2Fn calcHash2_ = nullptr;
  std::map<winapi::Handle, MemberRecords> members_;  // per open catalog
};

}  // namespace

std::unique_ptr<ports::ICatalogTrust> MakeCatalogTrust() { return std::make_unique<Win32CatalogTrust>(); }

}  // namespace win32
