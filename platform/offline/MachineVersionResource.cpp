#include "platform/offline/MachineVersionResource.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>

#include "platform/WinTypes.h"

namespace offline {

namespace {

constexpr uint32_t kErrorBadExeFormat = 193;
constexpr uint32_t kErrorResourceTypeNotFound = 1813;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kMaxResourceSize = 1u << 20;  // a version block is a few KB; more is a damaged file
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// Little-endian reads at file offsets, failing softly on short reads.
class PeReader {
 public:
  explicit PeReader(const std::filesystem::path& p) : in_(p, std::ios::binary) {
    std::error_code ec;
    size_ = std::filesystem::file_size(p, ec);
    if (ec) size_ = 0;
  }
  bool IsOpen() const { return bool(in_); }
  // Whether `n` bytes at `offset` lie inside the file: a count the file cannot hold is a lie.
  bool Holds(uint64_t offset, uint64_t n) const { return offset <= size_ && n <= size_ - offset; }
  bool Read(uint64_t offset, void* out, size_t n) {
    in_.clear();
    in_.seekg(std::streamoff(offset));
    in_.read(static_cast<char*>(out), std::streamsize(n));
    return size_t(in_.gcount()) == n;
  }
  std::optional<uint32_t> U32(uint64_t offset) {
    uint8_t b[4];
    if (!Read(offset, b, 4)) return std::nullopt;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  }
  std::optional<uint16_t> U16(uint64_t offset) {
    uint8_t b[2];
    if (!Read(offset, b, 2)) return std::nullopt;
    return uint16_t(b[0] | b[1] << 8);
  }

 private:
  std::ifstream in_;
  uint64_t size_ = 0;
};

struct Section {
  uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// The resource directory's sections and where the resource directory lives.
struct PeLayout {
  std::vector<Section> sections;
  uint32_t resourceRva = 0;

  std::optional<uint64_t> FileOffset(uint32_t rva, uint32_t length) const {
    for (const Section& s : sections) {
      uint32_t span = std::max(s.virtualSize, s.rawSize);
      if (rva >= s.virtualAddress && uint64_t(rva) + length <= uint64_t(s.virtualAddress) + span &&
          uint64_t(rva - s.virtualAddress) + length <= s.rawSize)
        return uint64_t(s.rawOffset) + (rva - s.virtualAddress);
    }
    return std::nullopt;
  }
};

std::optional<PeLayout> ReadLayout(PeReader& pe) {
  auto dosMagic = pe.U16(0);
  auto peOffset = pe.U32(0x3C);
  if (!dosMagic || *dosMagic != 0x5A4D || !peOffset) return std::nullopt;
  auto signature = pe.U32(*peOffset);
  if (!signature || *signature != 0x00004550) return std::nullopt;
  uint64_t coff = *peOffset + 4;
  auto sectionCount = pe.U16(coff + 2);
  auto optionalSize = pe.U16(coff + 16);
  uint64_t optional = coff + 20;
  auto magic = pe.U16(optional);
  if (!sectionCount || !optionalSize || !magic) return std::nullopt;
  uint64_t dirCountAt = *magic == 0x20B ? 108 : *magic == 0x10B ? 92 : 0;
  if (!dirCountAt) return std::nullopt;
  PeLayout layout;
  auto dirCount = pe.U32(optional + dirCountAt);
  if (dirCount && *dirCount > 2 && dirCountAt + 4 + 3 * 8 <= *optionalSize)
    layout.resourceRva = pe.U32(optional + dirCountAt + 4 + 2 * 8).value_or(0);
  // The section table is read at once, and only when the file holds all of it.
  constexpr uint64_t kSectionHeaderBytes = 40;
  const uint64_t table = optional + *optionalSize, tableBytes = *sectionCount * kSectionHeaderBytes;
  if (!pe.Holds(table, tableBytes)) return std::nullopt;
  std::vector<uint8_t> headers(tableBytes);
  if (!pe.Read(table, headers.data(), headers.size())) return std::nullopt;
  auto field = [&](uint64_t at) {
    uint32_t v;
    std::memcpy(&v, headers.data() + at, sizeof v);
    return v;
  };
  for (uint64_t at = 0; at < tableBytes; at += kSectionHeaderBytes)
    layout.sections.push_back({field(at + 12), field(at + 8), field(at + 16), field(at + 20)});
  return layout;
}

// The first entry of a resource directory (matching `id` when given): its offset field.
std::optional<uint32_t> DirectoryEntry(PeReader& pe, uint64_t dirOffset, std::optional<uint32_t> id) {
  auto named = pe.U16(dirOffset + 12), ids = pe.U16(dirOffset + 14);
  if (!named || !ids) return std::nullopt;
  uint32_t count = uint32_t(*named) + *ids;
  if (!pe.Holds(dirOffset + 16, uint64_t(count) * 8)) return std::nullopt;
  for (uint32_t i = 0; i < count; ++i) {
    auto name = pe.U32(dirOffset + 16 + uint64_t(i) * 8), target = pe.U32(dirOffset + 20 + uint64_t(i) * 8);
    if (!name || !target) return std::nullopt;
    if (!id || *name == *id) return *target;
  }
  return std::nullopt;
}

// What one file holds, read once: the same file (by path, size and time) asked for
// the same resource again is answered from here, as a DLL of strings is asked
// once per device.
class ResourceCache {
 public:
  using Key = std::tuple<std::filesystem::path, uintmax_t, std::filesystem::file_time_type, uint32_t,
                         std::optional<uint32_t>>;
  template <typename Read>
  VersionResource Get(const std::filesystem::path& file, uint32_t type, std::optional<uint32_t> name, Read read) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(file, ec);
    const std::filesystem::file_time_type time = std::filesystem::last_write_time(file, ec);
    if (ec) return read();
    const Key key{file, size, time, type, name};
    {
      std::lock_guard lock(mutex_);
      if (auto found = entries_.find(key); found != entries_.end()) return found->second;
    }
    VersionResource resource = read();
    std::lock_guard lock(mutex_);
    if (entries_.size() >= kMaxEntries || bytes_ + resource.block.size() > kMaxBytes) {
      entries_.clear();
      bytes_ = 0;
    }
    if (entries_.emplace(key, resource).second) bytes_ += resource.block.size();
    return resource;
  }

 private:
  static constexpr size_t kMaxEntries = 4096;
  static constexpr size_t kMaxBytes = 16u << 20;
  std::mutex mutex_;
  size_t bytes_ = 0;
  std::map<Key, VersionResource> entries_;
};

VersionResource ReadResourceOnce(const std::filesystem::path& file, uint32_t type, std::optional<uint32_t> name);

}  // namespace

VersionResource ReadResource(const std::filesystem::path& file, uint32_t type, std::optional<uint32_t> name) {
  static ResourceCache cache;
  return cache.Get(file, type, name, [&] { return ReadResourceOnce(file, type, name); });
}

namespace {

VersionResource ReadResourceOnce(const std::filesystem::path& file, uint32_t type, std::optional<uint32_t> name) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return {winapi::kErrorFileNotFound, {}};
  PeReader pe(file);
  if (!pe.IsOpen()) return {winapi::kErrorAccessDenied, {}};
  std::optional<PeLayout> layout = ReadLayout(pe);
  if (!layout) return {kErrorBadExeFormat, {}};
  std::optional<uint64_t> root = layout->resourceRva ? layout->FileOffset(layout->resourceRva, 16) : std::nullopt;
  if (!root) return {kErrorResourceTypeNotFound, {}};
  // Three levels: the type, then the name (the first when none is asked for), then the first language.
  constexpr uint32_t kSubdirectory = 0x80000000;
  std::optional<uint32_t> entry = DirectoryEntry(pe, *root, type);
  if (entry && (*entry & kSubdirectory)) entry = DirectoryEntry(pe, *root + (*entry & ~kSubdirectory), name);
  if (entry && (*entry & kSubdirectory)) entry = DirectoryEntry(pe, *root + (*entry & ~kSubdirectory), std::nullopt);
  if (!entry || (*entry & kSubdirectory)) return {kErrorResourceTypeNotFound, {}};
  auto dataRva = pe.U32(*root + *entry), dataSize = pe.U32(*root + *entry + 4);
  if (!dataRva || !dataSize || *dataSize == 0 || *dataSize > kMaxResourceSize) return {kErrorResourceTypeNotFound, {}};
  std::optional<uint64_t> dataOffset = layout->FileOffset(*dataRva, *dataSize);
  VersionResource out;
  out.block.resize(*dataSize);
  if (!dataOffset || !pe.Read(*dataOffset, out.block.data(), out.block.size())) return {kErrorResourceTypeNotFound, {}};
  return out;
}

}  // namespace

VersionResource ReadVersionResource(const std::filesystem::path& file) {
  return ReadResource(file, kRtVersion, std::nullopt);
}

bool FixedFileVersion(const uint8_t* block, uint32_t& versionMS, uint32_t& versionLS) {
  // VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding to 4, VS_FIXEDFILEINFO.
  static const char16_t kKey[] = u"VS_VERSION_INFO";
  if (!block) return false;
  uint16_t length, valueLength;
  std::memcpy(&length, block, 2);
  std::memcpy(&valueLength, block + 2, 2);
  constexpr size_t kFixedAt = 40, kFixedSize = 52;
  if (length < kFixedAt + kFixedSize || valueLength < kFixedSize) return false;
  for (size_t i = 0; i < 15; ++i)
    if (block[6 + 2 * i] != uint8_t(kKey[i]) || block[7 + 2 * i] != 0) return false;
  uint32_t signature;
  std::memcpy(&signature, block + kFixedAt, 4);
  if (signature != kFixedFileInfoSignature) return false;
  std::memcpy(&versionMS, block + kFixedAt + 8, 4);
  std::memcpy(&versionLS, block + kFixedAt + 12, 4);
  return true;
}

}  // namespace offline
