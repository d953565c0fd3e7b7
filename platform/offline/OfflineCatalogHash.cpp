#include "platform/offline/OfflineCatalogHash.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <memory>

namespace offline {

namespace {

constexpr size_t kChunk = 64 * 1024;

struct DigestDeleter {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestDeleter>;

const EVP_MD* Md(HashAlgorithm a) { return a == HashAlgorithm::Sha1 ? EVP_sha1() : EVP_sha256(); }

bool ReadAt(std::FILE* file, uint64_t offset, void* out, size_t size) {
  return fseeko(file, off_t(offset), SEEK_SET) == 0 && std::fread(out, 1, size, file) == size;
}

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

std::optional<uint64_t> FileSize(std::FILE* file) {
  if (fseeko(file, 0, SEEK_END) != 0) return std::nullopt;
  const off_t size = ftello(file);
  if (size < 0) return std::nullopt;
  return uint64_t(size);
}

// Hashes [from, to) of the file into the context.
bool HashRange(std::FILE* file, uint64_t from, uint64_t to, EVP_MD_CTX* ctx) {
  if (to <= from) return true;
  if (fseeko(file, off_t(from), SEEK_SET) != 0) return false;
  std::array<uint8_t, kChunk> buffer;
  for (uint64_t left = to - from; left > 0;) {
    const size_t want = size_t(std::min<uint64_t>(left, buffer.size()));
    if (std::fread(buffer.data(), 1, want, file) != want) return false;
    if (EVP_DigestUpdate(ctx, buffer.data(), want) != 1) return false;
    left -= want;
  }
  return true;
}

// Hashes the file without the given sorted, non-overlapping ranges.
template <size_t N>
std::optional<std::vector<uint8_t>> HashSkipping(std::FILE* file, HashAlgorithm algorithm,
                                                 const std::array<std::pair<uint64_t, uint64_t>, N>& skipped) {
  auto size = FileSize(file);
  if (!size) return std::nullopt;
  DigestContext ctx(EVP_MD_CTX_new());
  if (!ctx || EVP_DigestInit_ex(ctx.get(), Md(algorithm), nullptr) != 1) return std::nullopt;
  uint64_t at = 0;
  for (const auto& [from, to] : skipped) {
    if (!HashRange(file, at, std::min(from, *size), ctx.get())) return std::nullopt;
    at = std::max(at, std::min(to, *size));
  }
  if (!HashRange(file, at, *size, ctx.get())) return std::nullopt;
  std::vector<uint8_t> digest(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(ctx.get(), digest.data(), &length) != 1) return std::nullopt;
  digest.resize(length);
  return digest;
}

}  // namespace

std::optional<PeLayout> ReadPeLayout(std::FILE* file) {
  auto size = FileSize(file);
  uint8_t dos[0x40];
  if (!size || *size < sizeof(dos) || !ReadAt(file, 0, dos, sizeof(dos)) || dos[0] != 'M' || dos[1] != 'Z')
    return std::nullopt;
  const uint64_t pe = Le32(dos + 0x3C);
  uint8_t headers[24 + 2];
  if (pe + sizeof(headers) > *size || !ReadAt(file, pe, headers, sizeof(headers))) return std::nullopt;
  if (headers[0] != 'P' || headers[1] != 'E' || headers[2] != 0 || headers[3] != 0) return std::nullopt;
  const uint64_t optional = pe + 24;
  const uint16_t magic = uint16_t(headers[24] | (headers[25] << 8));
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  const uint64_t directories = optional + (magic == 0x10B ? 96 : 112);

  PeLayout layout;
  layout.checksumOffset = optional + 64;
  layout.certEntryOffset = directories + 4 * 8;
  uint8_t entry[8];
  if (layout.certEntryOffset + sizeof(entry) > *size || !ReadAt(file, layout.certEntryOffset, entry, sizeof(entry)))
    return std::nullopt;
  const uint64_t offset = Le32(entry), length = Le32(entry + 4);
  // A table that does not lie wholly after the headers and inside the file is ignored.
  if (offset && length && offset >= layout.certEntryOffset + 8 && offset + length <= *size) {
    layout.certTableOffset = offset;
    layout.certTableSize = length;
  }
  return layout;
}

std::optional<std::vector<uint8_t>> CatalogHash(std::FILE* file, HashAlgorithm algorithm) {
  auto layout = ReadPeLayout(file);
  if (!layout) return FlatHash(file, algorithm);
  const uint64_t tableEnd = layout->certTableOffset + layout->certTableSize;
  return HashSkipping<3>(file, algorithm,
                         {{{layout->checksumOffset, layout->checksumOffset + 4},
                           {layout->certEntryOffset, layout->certEntryOffset + 8},
                           {layout->certTableOffset, tableEnd}}});
}

std::optional<std::vector<uint8_t>> FlatHash(std::FILE* file, HashAlgorithm algorithm) {
  return HashSkipping<0>(file, algorithm, {});
}

}  // namespace offline
