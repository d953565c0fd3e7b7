// The catalog hash of a file, as CryptCATAdminCalcHashFromFileHandle computes it:
// the Authenticode image hash for PE files (without the CheckSum field, the
// certificate-table directory entry and the certificate table), the plain hash of
// every byte otherwise. Streamed: the file is never held in memory.
#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace offline {

enum class HashAlgorithm { Sha1, Sha256 };
constexpr uint32_t HashSize(HashAlgorithm a) { return a == HashAlgorithm::Sha1 ? 20 : 32; }

// Where a PE file keeps the fields the image hash leaves out.
struct PeLayout {
  uint64_t checksumOffset = 0;
  uint64_t certEntryOffset = 0;  // IMAGE_DIRECTORY_ENTRY_SECURITY
  uint64_t certTableOffset = 0;  // 0 when unsigned
  uint64_t certTableSize = 0;
};

// The PE layout of an open file, or nothing when it is no PE image.
std::optional<PeLayout> ReadPeLayout(std::FILE* file);

// The catalog hash of the whole file; nothing when it cannot be read.
std::optional<std::vector<uint8_t>> CatalogHash(std::FILE* file, HashAlgorithm algorithm);

// Hash of every byte of the file (the flat hash), for comparison.
std::optional<std::vector<uint8_t>> FlatHash(std::FILE* file, HashAlgorithm algorithm);

}  // namespace offline
