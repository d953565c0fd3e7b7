#include "platform/offline/OfflineAuthenticode.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/Text.h"
#include "platform/Trust.h"
#include "platform/offline/OfflineCatalogFile.h"
#include "platform/offline/OpenFile.h"
#include "platform/offline/OfflineCatalogHash.h"

namespace offline {

namespace {

constexpr uint32_t kFileNotFoundResult = 0x80070002;  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
constexpr uint16_t kWinCertTypePkcsSignedData = 2;
constexpr uint64_t kMaxCertificateTable = 16u << 20;


std::optional<HashAlgorithm> AlgorithmOf(const std::string& oid) {
  if (oid == pkcs7::kOidSha1) return HashAlgorithm::Sha1;
  if (oid == pkcs7::kOidSha256) return HashAlgorithm::Sha256;
  return std::nullopt;
}

// SpcIndirectDataContent { data, DigestInfo { algorithm, digest } }: the image hash it signs.
bool IndirectDigest(const der::Node& content, std::string& algorithm, der::Bytes& digest) {
  auto parts = der::ChildrenOf(content, der::kSequence);
  if (!parts || parts->size() != 2) return false;
  auto digestInfo = der::ChildrenOf((*parts)[1], der::kSequence);
  if (!digestInfo || digestInfo->size() != 2 || (*digestInfo)[1].tag != der::kOctetString) return false;
  auto alg = der::ChildrenOf((*digestInfo)[0], der::kSequence);
  if (!alg || alg->empty()) return false;
  algorithm = der::OidText((*alg)[0]);
  digest = (*digestInfo)[1].value;
  return true;
}

TrustVerdict VerifyPeImage(std::FILE* file, const PeLayout& layout, const TrustedRoots& roots) {
  if (layout.certTableSize < 8 || layout.certTableSize > kMaxCertificateTable) return {winapi::kTrustENoSignature, {}};
  std::vector<uint8_t> table(size_t(layout.certTableSize));
  if (fseeko(file, off_t(layout.certTableOffset), SEEK_SET) != 0 ||
      std::fread(table.data(), 1, table.size(), file) != table.size())
    return {winapi::kCryptEFileError, {}};
  // WIN_CERTIFICATE { dwLength, wRevision, wCertificateType, bCertificate[] }
  const uint32_t length = table[0] | (table[1] << 8) | (table[2] << 16) | (uint32_t(table[3]) << 24);
  const uint16_t type = uint16_t(table[6] | (table[7] << 8));
  if (length < 8 || length > table.size() || type != kWinCertTypePkcsSignedData) return {winapi::kTrustENoSignature, {}};

  auto signedData = pkcs7::Parse(der::Bytes(table).subspan(8, length - 8));
  if (!signedData || signedData->contentType != pkcs7::kOidSpcIndirectData || !signedData->content)
    return {winapi::kTrustENoSignature, {}};
  std::string algorithmOid;
  der::Bytes signedDigest;
  if (!IndirectDigest(*signedData->content, algorithmOid, signedDigest)) return {winapi::kTrustENoSignature, {}};
  auto algorithm = AlgorithmOf(algorithmOid);
  if (!algorithm) return {winapi::kTrustEBadDigest, {}};
  auto imageHash = CatalogHash(file, *algorithm);
  if (!imageHash) return {winapi::kCryptEFileError, {}};
  if (!std::equal(imageHash->begin(), imageHash->end(), signedDigest.begin(), signedDigest.end()))
    return {winapi::kTrustEBadDigest, {}};
  return VerifySignedData(*signedData, roots);
}

// Whether the file starts like a PKCS #7 SignedData that fills it exactly: only
// then is it read whole as a catalog.
bool LooksLikeSignedData(std::FILE* file) {
  uint8_t head[16] = {};
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const off_t size = ftello(file);
  if (size < off_t(sizeof(head)) || uintmax_t(size) > kMaxCatalogBytes) return false;
  if (fseeko(file, 0, SEEK_SET) != 0 || std::fread(head, 1, sizeof(head), file) != sizeof(head)) return false;
  if (head[0] != der::kSequence) return false;
  uint64_t length = head[1];
  size_t header = 2;
  if (length & 0x80) {
    const size_t count = length & 0x7F;
    if (count == 0 || count > 4) return false;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | head[2 + i];
    header += count;
  }
  return header + length == uint64_t(size);
}

}  // namespace

TrustVerdict VerifySubject(const std::filesystem::path& path, const TrustedRoots& roots) {
  UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return {kFileNotFoundResult, {}};

  if (auto layout = ReadPeLayout(file.Get())) return VerifyPeImage(file.Get(), *layout, roots);

  const bool catalogByName = text::EqualsIgnoreCase(text::FromPath(path.extension()), u".cat");
  if (LooksLikeSignedData(file.Get())) {
    file.Close();
    uint32_t error = 0;
    if (auto catalog = LoadCatalog(path, error)) return VerifySignedData(catalog->signedData, roots);
  }
  return {catalogByName ? winapi::kTrustENoSignature : winapi::kTrustESubjectFormUnknown, {}};
}

}  // namespace offline
