// Catalog and trust services port: the wintrust/crypt32 calls of the signature
// checks and CryptAcquireContextW of advapi32, at the level of the Windows calls.
// Failures set the calling thread's last error (read through Os().system).
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace winapi {

// CryptAcquireContextW
constexpr uint32_t kProvRsaAes = 24;               // PROV_RSA_AES
constexpr uint32_t kCryptVerifyContext = 0xF0000000;  // CRYPT_VERIFYCONTEXT

// CryptCATOpen
constexpr uint32_t kCryptCatOpenExisting = 0x00000004;          // CRYPTCAT_OPEN_EXISTING
constexpr uint32_t kCryptCatOpenExcludePageHashes = 0x00010000;  // CRYPTCAT_OPEN_EXCLUDE_PAGE_HASHES

// WinVerifyTrustEx trust data
constexpr uint32_t kWtdUiNone = 2;              // WTD_UI_NONE
constexpr uint32_t kWtdRevokeNone = 0;          // WTD_REVOKE_NONE
constexpr uint32_t kWtdChoiceFile = 1;          // WTD_CHOICE_FILE
constexpr uint32_t kWtdStateActionVerify = 1;   // WTD_STATEACTION_VERIFY
constexpr uint32_t kWtdStateActionClose = 2;    // WTD_STATEACTION_CLOSE
constexpr uint32_t kWtdNoPolicyUsageFlag = 0x4;  // WTD_NO_POLICY_USAGE_FLAG
constexpr uint32_t kWtdRevocationCheckChain = 0x40;  // WTD_REVOCATION_CHECK_CHAIN

// CertGetNameStringW: the subject as CertNameToStrW writes it, most specific part
// first ("CN=..., O=..., C=..."), the way certificate viewers show a subject.
constexpr uint32_t kCertNameRdnType = 2;                 // CERT_NAME_RDN_TYPE
constexpr uint32_t kCertX500NameStr = 3;                 // CERT_X500_NAME_STR
constexpr uint32_t kCertNameStrReverseFlag = 0x02000000;  // CERT_NAME_STR_REVERSE_FLAG

// CreateFileW
constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kFileShareRead = 0x1;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kFileAttributeNormal = 0x80;

// DRIVER_ACTION_VERIFY {F750E6C3-38EE-11D1-85E5-00C04FC295EE}: the driver-signing policy.
constexpr Guid kDriverActionVerify = {0xF750E6C3, 0x38EE, 0x11D1, {0x85, 0xE5, 0x00, 0xC0, 0x4F, 0xC2, 0x95, 0xEE}};
// Catalog member subject types (CRYPTCATMEMBER.gSubjectType).
constexpr Guid kSubjectPeImage = {0xC689AAB8, 0x8E78, 0x11D0, {0x8C, 0x47, 0x00, 0xC0, 0x4F, 0xC2, 0x95, 0xEE}};
constexpr Guid kSubjectFlatFile = {0xDE351A42, 0x8E59, 0x11D0, {0x8C, 0x47, 0x00, 0xC0, 0x4F, 0xC2, 0x95, 0xEE}};

// Trust and crypt result codes (HRESULTs; also what GetLastError gives after the call).
constexpr uint32_t kTrustENoSignature = 0x800B0100;      // TRUST_E_NOSIGNATURE
constexpr uint32_t kTrustESubjectFormUnknown = 0x800B0003;  // TRUST_E_SUBJECT_FORM_UNKNOWN
constexpr uint32_t kTrustEBadDigest = 0x80096010;        // TRUST_E_BAD_DIGEST
constexpr uint32_t kCertEExpired = 0x800B0101;           // CERT_E_EXPIRED
constexpr uint32_t kCertEUntrustedRoot = 0x800B0109;     // CERT_E_UNTRUSTEDROOT
constexpr uint32_t kCertEChaining = 0x800B010A;          // CERT_E_CHAINING
constexpr uint32_t kCertEWrongUsage = 0x800B0110;        // CERT_E_WRONG_USAGE
constexpr uint32_t kNteBadSignature = 0x80090006;        // NTE_BAD_SIGNATURE
constexpr uint32_t kCryptENotFound = 0x80092004;         // CRYPT_E_NOT_FOUND
constexpr uint32_t kCryptEAsn1BadTag = 0x8009310B;       // CRYPT_E_ASN1_BADTAG
constexpr uint32_t kCryptEFileError = 0x80092003;       // CRYPT_E_FILE_ERROR
constexpr uint32_t kTrustEActionUnknown = 0x800B0002;   // TRUST_E_ACTION_UNKNOWN
constexpr uint32_t kNteBadAlgId = 0x80090008;           // NTE_BAD_ALGID

// WINTRUST_FILE_INFO (32 bytes on x64).
struct TrustFileInfo {
  uint32_t cbStruct = 0;
  const char16_t* pcwszFilePath = nullptr;
  Handle hFile = 0;
  const Guid* pgKnownSubject = nullptr;
};

// WINTRUST_DATA with the file choice of the union (88 bytes on x64).
struct TrustData {
  uint32_t cbStruct = 0;
  void* pPolicyCallbackData = nullptr;
  void* pSIPClientData = nullptr;
  uint32_t dwUIChoice = 0;
  uint32_t fdwRevocationChecks = 0;
  uint32_t dwUnionChoice = 0;
  TrustFileInfo* pFile = nullptr;
  uint32_t dwStateAction = 0;
  Handle hWVTStateData = 0;
  const char16_t* pwszURLReference = nullptr;
  uint32_t dwProvFlags = 0;
  uint32_t dwUIContext = 0;
  void* pSignatureSettings = nullptr;
};

// CRYPTCATMEMBER, as far as the program reads it. Owned by the catalog handle.
struct CatMember {
  uint32_t cbStruct = 0;
  const char16_t* pwszReferenceTag = nullptr;
  const char16_t* pwszFileName = nullptr;
  Guid gSubjectType;
  uint32_t fdwMemberFlags = 0;
  uint32_t dwCertVersion = 0;
};

// CRYPTCATATTRIBUTE. Owned by the catalog handle; pbValue holds cbValue bytes.
struct CatAttribute {
  uint32_t cbStruct = 0;
  const char16_t* pwszReferenceTag = nullptr;
  uint32_t dwAttrTypeAndAction = 0;
  uint32_t cbValue = 0;
  const uint8_t* pbValue = nullptr;
  uint32_t dwReserved = 0;
};

// CRYPT_PROVIDER_CERT, as far as the program reads it: pCert is a certificate
// context (PCCERT_CONTEXT). Owned by the trust state it came from.
struct ProviderCert {
  uint32_t cbStruct = 0;
  Handle pCert = 0;
};

// CATALOG_INFO
struct CatalogInfo {
  uint32_t cbStruct = 0;
  char16_t wszCatalogFile[kMaxPath] = {};
};

}  // namespace winapi

namespace ports {

class ICatalogTrust {
 public:
  virtual ~ICatalogTrust() = default;

  // CryptAcquireContextW(container, provider, type, flags); *provider 0 on failure.
  virtual bool CryptAcquireContext(winapi::Handle* provider, const char16_t* container, const char16_t* providerName,
                                   uint32_t providerType, uint32_t flags) = 0;

  // CryptCATOpen: winapi::kInvalidHandle on failure.
  virtual winapi::Handle CryptCATOpen(const char16_t* fileName, uint32_t openFlags, winapi::Handle provider,
                                      uint32_t publicVersion, uint32_t encodingType) = 0;
  virtual bool CryptCATClose(winapi::Handle catalog) = 0;
  // CryptCATGetMemberInfo: the member whose tag is `referenceTag`, or null.
  virtual const winapi::CatMember* CryptCATGetMemberInfo(winapi::Handle catalog, const char16_t* referenceTag) = 0;
  // CryptCATEnumerateMember: the member after `previous` (null: the first), or null at the end.
  virtual const winapi::CatMember* CryptCATEnumerateMember(winapi::Handle catalog,
                                                           const winapi::CatMember* previous) = 0;
  // CryptCATEnumerateCatAttr: the attribute after `previous` (null: the first), or null at the end.
  virtual const winapi::CatAttribute* CryptCATEnumerateCatAttr(winapi::Handle catalog,
                                                               const winapi::CatAttribute* previous) = 0;

  // WinVerifyTrustEx: 0 when trusted, else the trust error (also the last error).
  virtual int32_t WinVerifyTrustEx(winapi::Handle window, const winapi::Guid* action, winapi::TrustData* data) = 0;

  // What a WinVerifyTrustEx run with WTD_STATEACTION_VERIFY kept, valid until its
  // state is closed. WTHelperProvDataFromStateData: the provider data of the
  // state (hWVTStateData), or 0. WTHelperGetProvSignerFromChain: a signer of that
  // data (0: the primary one), or 0 when the file carried none.
  // WTHelperGetProvCertFromChain: certificate `certIndex` of the signer's chain (0:
  // the signing certificate itself), or null.
  virtual winapi::Handle WTHelperProvDataFromStateData(winapi::Handle stateData) = 0;
  virtual winapi::Handle WTHelperGetProvSignerFromChain(winapi::Handle providerData, uint32_t signerIndex,
                                                        bool counterSigner, uint32_t counterSignerIndex) = 0;
  virtual const winapi::ProviderCert* WTHelperGetProvCertFromChain(winapi::Handle signer, uint32_t certIndex) = 0;
  // CertGetNameStringW: writes at most `size` characters, NUL included, and returns
  // how many it wrote; with name null, how many it needs. 1 (an empty text) when
  // the certificate has no such name.
  virtual uint32_t CertGetNameString(winapi::Handle certificate, uint32_t type, uint32_t flags, const void* typePara,
                                     char16_t* name, uint32_t size) = 0;

  // Catalog-administrator contexts. AcquireContext hashes with SHA-1; AcquireContext2
  // with `hashAlgorithm` ("SHA1", "SHA256"; null: SHA-1).
  virtual bool CryptCATAdminAcquireContext(winapi::Handle* catAdmin, const winapi::Guid* subsystem, uint32_t flags) = 0;
  virtual bool CryptCATAdminAcquireContext2(winapi::Handle* catAdmin, const winapi::Guid* subsystem,
                                            const char16_t* hashAlgorithm, const void* strongSignPolicy,
                                            uint32_t flags) = 0;
  // The catalog hash of an open file (the Authenticode hash for PE files). With hash
  // null or *size too small: true (as Windows), last error ERROR_INSUFFICIENT_BUFFER and
  // *size = bytes needed. Each call hashes the whole file, wherever its pointer stands.
  virtual bool CryptCATAdminCalcHashFromFileHandle(winapi::Handle file, uint32_t* size, uint8_t* hash,
                                                   uint32_t flags) = 0;
  virtual bool CryptCATAdminCalcHashFromFileHandle2(winapi::Handle catAdmin, winapi::Handle file, uint32_t* size,
                                                    uint8_t* hash, uint32_t flags) = 0;
  // The next system catalog listing the hash (previous null: the first), or 0.
  virtual winapi::Handle CryptCATAdminEnumCatalogFromHash(winapi::Handle catAdmin, const uint8_t* hash,
                                                          uint32_t size, uint32_t flags,
                                                          winapi::Handle* previousCatInfo) = 0;
  virtual bool CryptCATCatalogInfoFromContext(winapi::Handle catInfo, winapi::CatalogInfo* info, uint32_t flags) = 0;
  virtual bool CryptCATAdminReleaseCatalogContext(winapi::Handle catAdmin, winapi::Handle catInfo, uint32_t flags) = 0;
  virtual bool CryptCATAdminReleaseContext(winapi::Handle catAdmin, uint32_t flags) = 0;

  // CreateFileW / CloseHandle for the files the catalog hashes are computed from.
  // CreateFile gives winapi::kInvalidHandle on failure.
  virtual winapi::Handle CreateFile(const char16_t* fileName, uint32_t desiredAccess, uint32_t shareMode,
                                    uint32_t creationDisposition, uint32_t flagsAndAttributes) = 0;
  virtual bool CloseHandle(winapi::Handle file) = 0;
};

}  // namespace ports
