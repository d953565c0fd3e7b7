#include "platform/offline/OfflineSignature.h"

#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/Trust.h"

namespace offline {

namespace {

constexpr uint32_t kTrustENoSignerCert = 0x800B010C;   // TRUST_E_NO_SIGNER_CERT
constexpr uint32_t kTrustECertSignature = 0x80096004;  // TRUST_E_CERT_SIGNATURE
constexpr char kOidCodeSigning[] = "1.3.6.1.5.5.7.3.3";
constexpr char kOidDriverVerification[] = "1.3.6.1.4.1.311.10.3.5";

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using X509NamePtr = std::unique_ptr<X509_NAME, Deleter<X509_NAME, X509_NAME_free>>;
using IntegerPtr = std::unique_ptr<ASN1_INTEGER, Deleter<ASN1_INTEGER, ASN1_INTEGER_free>>;
using StoreCtxPtr = std::unique_ptr<X509_STORE_CTX, Deleter<X509_STORE_CTX, X509_STORE_CTX_free>>;
using MdCtxPtr = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
using EkuPtr = std::unique_ptr<EXTENDED_KEY_USAGE, Deleter<EXTENDED_KEY_USAGE, EXTENDED_KEY_USAGE_free>>;
void FreeX509Stack(STACK_OF(X509) * s) { sk_X509_free(s); }
using X509StackPtr = std::unique_ptr<STACK_OF(X509), Deleter<STACK_OF(X509), FreeX509Stack>>;

X509Ptr ParseCertificate(der::Bytes der) {
  const unsigned char* p = der.data();
  return X509Ptr(d2i_X509(nullptr, &p, long(der.size())));
}

const EVP_MD* MdForOid(const std::string& oid) {
  if (oid == pkcs7::kOidSha1) return EVP_sha1();
  if (oid == pkcs7::kOidSha256) return EVP_sha256();
  return nullptr;
}

bool IsSigner(X509* cert, const pkcs7::SignerInfo& signer) {
  const unsigned char* p = signer.issuer.whole.data();
  X509NamePtr issuer(d2i_X509_NAME(nullptr, &p, long(signer.issuer.whole.size())));
  p = signer.serial.whole.data();
  IntegerPtr serial(d2i_ASN1_INTEGER(nullptr, &p, long(signer.serial.whole.size())));
  return issuer && serial && X509_NAME_cmp(X509_get_issuer_name(cert), issuer.get()) == 0 &&
         ASN1_INTEGER_cmp(X509_get_serialNumber(cert), serial.get()) == 0;
}

uint32_t ChainError(int opensslError) {
  switch (opensslError) {
    case X509_V_OK:
      return 0;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
      return winapi::kCertEUntrustedRoot;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return winapi::kCertEExpired;
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
      return kTrustECertSignature;
    default:
      return winapi::kCertEChaining;
  }
}

// The driver-signing policy wants a signer fit for code signing or driver
// verification; a certificate without the extension is fit for every usage.
bool HasDriverSigningUsage(X509* cert) {
  EkuPtr usages(static_cast<EXTENDED_KEY_USAGE*>(X509_get_ext_d2i(cert, NID_ext_key_usage, nullptr, nullptr)));
  if (!usages) return X509_get_ext_by_NID(cert, NID_ext_key_usage, -1) < 0;
  for (int i = 0; i < sk_ASN1_OBJECT_num(usages.get()); ++i) {
    char oid[80] = {};
    OBJ_obj2txt(oid, sizeof(oid), sk_ASN1_OBJECT_value(usages.get(), i), 1);
    if (std::strcmp(oid, kOidCodeSigning) == 0 || std::strcmp(oid, kOidDriverVerification) == 0) return true;
  }
  return false;
}

bool VerifySignatureValue(X509* cert, const EVP_MD* md, const std::vector<uint8_t>& signedBytes,
                          der::Bytes signature) {
  EVP_PKEY* key = X509_get0_pubkey(cert);
  MdCtxPtr ctx(EVP_MD_CTX_new());
  return key && ctx && EVP_DigestVerifyInit(ctx.get(), nullptr, md, nullptr, key) == 1 &&
         EVP_DigestVerify(ctx.get(), signature.data(), signature.size(), signedBytes.data(), signedBytes.size()) == 1;
}

}  // namespace

struct TrustedRoots::Store {
  std::vector<X509Ptr> certificates;
};

TrustedRoots::TrustedRoots() : store_(std::make_unique<Store>()) {}
TrustedRoots::~TrustedRoots() = default;
size_t TrustedRoots::Count() const { return store_->certificates.size(); }

bool TrustedRoots::AddFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  X509Ptr cert = ParseCertificate(bytes);
  if (!cert) {
    std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>> bio(BIO_new_mem_buf(bytes.data(), int(bytes.size())));
    if (bio) cert.reset(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  }
  if (!cert) return false;
  store_->certificates.push_back(std::move(cert));
  return true;
}

bool TrustedRoots::AddCertificate(const std::vector<uint8_t>& der) {
  X509Ptr cert = ParseCertificate(der);
  if (!cert) return false;
  store_->certificates.push_back(std::move(cert));
  return true;
}

std::vector<uint8_t> Digest(const std::string& oid, der::Bytes data) {
  const EVP_MD* md = MdForOid(oid);
  if (!md) return {};
  std::vector<uint8_t> out(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), out.data(), &length, md, nullptr) != 1) return {};
  out.resize(length);
  return out;
}

TrustVerdict VerifySignedData(const pkcs7::SignedData& signedData, const TrustedRoots& roots) {
  if (signedData.signers.empty() || !signedData.content) return {winapi::kTrustENoSignature, {}};
  const pkcs7::SignerInfo& signer = signedData.signers.front();

  TrustVerdict verdict;
  auto fail = [&verdict](uint32_t code) {
    verdict.code = code;
    return verdict;
  };
  std::vector<X509Ptr> bag;
  X509* signerCert = nullptr;
  for (der::Bytes der : signedData.certificates) {
    if (X509Ptr cert = ParseCertificate(der)) {
      if (!signerCert && IsSigner(cert.get(), signer)) {
        signerCert = cert.get();
        verdict.signerCertificate.assign(der.begin(), der.end());
      }
      bag.push_back(std::move(cert));
    }
  }
  if (!signerCert) return fail(kTrustENoSignerCert);

  const EVP_MD* md = MdForOid(signer.digestAlgorithm);
  if (!md) return fail(winapi::kNteBadAlgId);
  const std::vector<uint8_t> contentDigest = Digest(signer.digestAlgorithm, signedData.content->value);

  // With authenticated attributes the signature covers them (re-tagged as a SET)
  // and they carry the content digest; without, it covers the content itself.
  std::vector<uint8_t> signedBytes;
  if (signer.authAttributes) {
    auto messageDigest = pkcs7::AuthAttribute(signer, pkcs7::kOidMessageDigest);
    if (!messageDigest || messageDigest->tag != der::kOctetString ||
        !std::equal(messageDigest->value.begin(), messageDigest->value.end(), contentDigest.begin(),
                    contentDigest.end()))
      return fail(winapi::kTrustEBadDigest);
    signedBytes.assign(signer.authAttributes->whole.begin(), signer.authAttributes->whole.end());
    signedBytes[0] = der::kSet;
  } else {
    signedBytes.assign(signedData.content->value.begin(), signedData.content->value.end());
  }
  if (!VerifySignatureValue(signerCert, md, signedBytes, signer.encryptedDigest)) return fail(winapi::kNteBadSignature);

  std::unique_ptr<X509_STORE, Deleter<X509_STORE, X509_STORE_free>> store(X509_STORE_new());
  for (const X509Ptr& root : roots.store().certificates) X509_STORE_add_cert(store.get(), root.get());
  X509StackPtr untrusted(sk_X509_new_null());
  for (const X509Ptr& cert : bag) sk_X509_push(untrusted.get(), cert.get());
  StoreCtxPtr ctx(X509_STORE_CTX_new());
  if (!store || !untrusted || !ctx || X509_STORE_CTX_init(ctx.get(), store.get(), signerCert, untrusted.get()) != 1)
    return fail(winapi::kCertEChaining);
  if (X509_verify_cert(ctx.get()) != 1) return fail(ChainError(X509_STORE_CTX_get_error(ctx.get())));

  if (!HasDriverSigningUsage(signerCert)) return fail(winapi::kCertEWrongUsage);
  return verdict;
}

}  // namespace offline
