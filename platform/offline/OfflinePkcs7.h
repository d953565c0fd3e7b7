// PKCS #7 SignedData as security catalogs and Authenticode signatures carry it.
// Every span points into the caller's buffer, which must outlive the result.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/offline/OfflineDer.h"

namespace offline::pkcs7 {

inline constexpr char kOidSignedData[] = "1.2.840.113549.1.7.2";
inline constexpr char kOidMessageDigest[] = "1.2.840.113549.1.9.4";
inline constexpr char kOidCertTrustList[] = "1.3.6.1.4.1.311.10.1";
inline constexpr char kOidSpcIndirectData[] = "1.3.6.1.4.1.311.2.1.4";
inline constexpr char kOidSha1[] = "1.3.14.3.2.26";
inline constexpr char kOidSha256[] = "2.16.840.1.101.3.4.2.1";

struct SignerInfo {
  der::Node issuer;                     // Name
  der::Node serial;                     // INTEGER
  std::string digestAlgorithm;          // OID text
  std::optional<der::Node> authAttributes;  // [0] IMPLICIT SET OF Attribute
  der::Bytes encryptedDigest;
};

struct SignedData {
  std::string contentType;
  std::optional<der::Node> content;     // the node inside [0] EXPLICIT
  std::vector<der::Bytes> certificates;  // DER certificates of the bag
  std::vector<SignerInfo> signers;
};

// The ContentInfo { signedData, [0] SignedData } at the start of `in`.
std::optional<SignedData> Parse(der::Bytes in);

// The value bytes of the authenticated attribute `oid` (its first value), if present.
std::optional<der::Node> AuthAttribute(const SignerInfo& signer, const std::string& oid);

}  // namespace offline::pkcs7
