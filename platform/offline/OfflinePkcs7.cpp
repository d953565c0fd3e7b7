#include "platform/offline/OfflinePkcs7.h"

namespace offline::pkcs7 {

namespace {

std::optional<SignerInfo> ParseSigner(const der::Node& node) {
  auto fields = der::ChildrenOf(node, der::kSequence);
  if (!fields || fields->size() < 5) return std::nullopt;
  auto issuerAndSerial = der::ChildrenOf((*fields)[1], der::kSequence);
  if (!issuerAndSerial || issuerAndSerial->size() != 2) return std::nullopt;
  auto digestAlg = der::ChildrenOf((*fields)[2], der::kSequence);
  if (!digestAlg || digestAlg->empty()) return std::nullopt;

  SignerInfo signer;
  signer.issuer = (*issuerAndSerial)[0];
  signer.serial = (*issuerAndSerial)[1];
  signer.digestAlgorithm = der::OidText((*digestAlg)[0]);
  size_t next = 3;
  if ((*fields)[next].tag == der::ContextTag(0)) signer.authAttributes = (*fields)[next++];
  // digestEncryptionAlgorithm, then the signature value.
  if (next + 1 >= fields->size() || (*fields)[next].tag != der::kSequence) return std::nullopt;
  if ((*fields)[next + 1].tag != der::kOctetString) return std::nullopt;
  signer.encryptedDigest = (*fields)[next + 1].value;
  if (signer.issuer.tag != der::kSequence || signer.serial.tag != der::kInteger) return std::nullopt;
  return signer;
}

}  // namespace

std::optional<SignedData> Parse(der::Bytes in) {
  auto outer = der::Read(in);
  if (!outer) return std::nullopt;
  auto info = der::ChildrenOf(*outer, der::kSequence);
  if (!info || info->size() != 2 || der::OidText((*info)[0]) != kOidSignedData) return std::nullopt;
  auto wrapped = der::ChildrenOf((*info)[1], der::ContextTag(0));
  if (!wrapped || wrapped->size() != 1) return std::nullopt;
  auto fields = der::ChildrenOf((*wrapped)[0], der::kSequence);
  if (!fields || fields->size() < 4) return std::nullopt;

  SignedData out;
  auto contentInfo = der::ChildrenOf((*fields)[2], der::kSequence);
  if (!contentInfo || contentInfo->empty() || contentInfo->size() > 2) return std::nullopt;
  out.contentType = der::OidText((*contentInfo)[0]);
  if (out.contentType.empty()) return std::nullopt;
  if (contentInfo->size() == 2) {
    auto inner = der::ChildrenOf((*contentInfo)[1], der::ContextTag(0));
    if (!inner || inner->size() != 1) return std::nullopt;
    out.content = (*inner)[0];
  }

  size_t next = 3;
  if ((*fields)[next].tag == der::ContextTag(0)) {  // certificates [0] IMPLICIT
    auto certs = der::Children((*fields)[next]);
    if (!certs) return std::nullopt;
    for (const der::Node& c : *certs) out.certificates.push_back(c.whole);
    ++next;
  }
  if (next < fields->size() && (*fields)[next].tag == der::ContextTag(1)) ++next;  // crls
  if (next + 1 != fields->size()) return std::nullopt;
  auto signers = der::ChildrenOf((*fields)[next], der::kSet);
  if (!signers) return std::nullopt;
  for (const der::Node& s : *signers) {
    auto signer = ParseSigner(s);
    if (!signer) return std::nullopt;
    out.signers.push_back(*signer);
  }
  return out;
}

std::optional<der::Node> AuthAttribute(const SignerInfo& signer, const std::string& oid) {
  if (!signer.authAttributes) return std::nullopt;
  auto attributes = der::Children(*signer.authAttributes);
  if (!attributes) return std::nullopt;
  for (const der::Node& a : *attributes) {
    auto parts = der::ChildrenOf(a, der::kSequence);
    if (!parts || parts->size() != 2 || der::OidText((*parts)[0]) != oid) continue;
    auto values = der::ChildrenOf((*parts)[1], der::kSet);
    if (values && !values->empty()) return (*values)[0];
  }
  return std::nullopt;
}

}  // namespace offline::pkcs7
