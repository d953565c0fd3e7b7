// Trust verdicts on PKCS #7 signatures, as WinVerifyTrust gives them under the
// driver-signing policy: the signer's certificate, the message digest, the
// signature value, the chain to a root the machine trusts and the signer's usage.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/offline/OfflinePkcs7.h"

namespace offline {

// The root certificates a machine trusts (DER or PEM files).
class TrustedRoots {
 public:
  TrustedRoots();
  ~TrustedRoots();
  TrustedRoots(const TrustedRoots&) = delete;
  TrustedRoots& operator=(const TrustedRoots&) = delete;

  // Adds the certificate of a file; false when it cannot be read or parsed.
  bool AddFile(const std::filesystem::path& file);
  // Adds a DER-encoded certificate; false when it cannot be parsed.
  bool AddCertificate(const std::vector<uint8_t>& der);
  size_t Count() const;

  struct Store;
  Store& store() const { return *store_; }

 private:
  std::unique_ptr<Store> store_;
};

// 0 when the signed data verifies, else the trust error (an HRESULT as uint32_t).
// The digest is taken over the content's value bytes, as Authenticode does.
uint32_t VerifySignedData(const pkcs7::SignedData& signedData, const TrustedRoots& roots);

// A digest of `data` with the algorithm `oid` (SHA-1 or SHA-256); empty when unknown.
std::vector<uint8_t> Digest(const std::string& oid, der::Bytes data);

}  // namespace offline
