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

// A trust verdict and the certificate that made the signature, which is known
// whenever the signature names one the signed data carries, trusted or not.
struct TrustVerdict {
  uint32_t code = 0;                       // 0 when trusted, else the trust error (an HRESULT)
  std::vector<uint8_t> signerCertificate;  // DER; empty when not found
};

// The verdict on the signed data's first signer. The digest is taken over the
// content's value bytes, as Authenticode does.
TrustVerdict VerifySignedData(const pkcs7::SignedData& signedData, const TrustedRoots& roots);

// A digest of `data` with the algorithm `oid` (SHA-1 or SHA-256); empty when unknown.
std::vector<uint8_t> Digest(const std::string& oid, der::Bytes data);

}  // namespace offline
