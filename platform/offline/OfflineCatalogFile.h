// A security catalog (.cat) read the way CryptCATOpen reads it: a PKCS #7
// SignedData whose content is a certificate trust list of members (tagged by a
// file hash as hex text) and catalog attributes. Opening does not judge trust.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Text.h"
#include "platform/WinTypes.h"
#include "platform/offline/OfflinePkcs7.h"

namespace offline {

struct CatalogMemberEntry {
  WString tag;                 // the hash text, NUL removed
  WString fileName;            // the "File" name/value, when present
  winapi::Guid subjectType;    // PE image or flat file
  uint32_t certVersion = 0;
};

struct CatalogAttributeEntry {
  WString name;
  uint32_t flags = 0;
  std::vector<uint8_t> value;  // raw value bytes (UTF-16LE text, NULs as written)
};

struct CatalogFile {
  std::vector<uint8_t> bytes;  // the whole catalog; `signedData` points into it
  pkcs7::SignedData signedData;
  std::string subjectAlgorithm;
  std::vector<CatalogMemberEntry> members;
  std::vector<CatalogAttributeEntry> attributes;

  const CatalogMemberEntry* FindMember(WStringView tag) const;
};

// Catalogs beyond this size are refused rather than read into memory.
constexpr uintmax_t kMaxCatalogBytes = 64u << 20;

// Parses catalog bytes; nullptr with `error` (a Windows error code) when malformed.
std::unique_ptr<CatalogFile> ParseCatalog(std::vector<uint8_t> bytes, uint32_t& error);
// Reads and parses a catalog file.
std::unique_ptr<CatalogFile> LoadCatalog(const std::filesystem::path& path, uint32_t& error);

}  // namespace offline
