// A small reader of the Zip files the tests write: the central directory's
// entries, and each entry's data inflated and checked against its CRC-32.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace archive_test {

struct ZipEntry {
  std::string name;  // as stored: UTF-8 when flag bit 11 is set
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc = 0;
  std::string data;  // inflated
};

class ZipReader {
 public:
  explicit ZipReader(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) throw std::runtime_error("cannot open the archive");
    bytes_.assign(std::istreambuf_iterator<char>(in), {});
  }

  std::vector<ZipEntry> Entries() const {
    const size_t end = FindEndRecord();
    const uint16_t count = U16(end + 10);
    size_t at = U32(end + 16);
    std::vector<ZipEntry> entries;
    for (uint16_t i = 0; i < count; ++i) {
      if (U32(at) != 0x02014b50) throw std::runtime_error("bad central directory header");
      ZipEntry e;
      e.flags = U16(at + 8);
      e.method = U16(at + 10);
      e.crc = U32(at + 16);
      const uint32_t packed = U32(at + 20), size = U32(at + 24);
      const uint16_t nameLen = U16(at + 28), extraLen = U16(at + 30), commentLen = U16(at + 32);
      e.name = bytes_.substr(at + 46, nameLen);
      e.data = Data(U32(at + 42), e.method, packed, size);
      if (uint32_t(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size()))) != e.crc)
        throw std::runtime_error("CRC mismatch in " + e.name);
      entries.push_back(std::move(e));
      at += 46 + nameLen + extraLen + commentLen;
    }
    return entries;
  }

 private:
  uint16_t U16(size_t at) const {
    Need(at + 2);
    return uint16_t(uint8_t(bytes_[at]) | uint8_t(bytes_[at + 1]) << 8);
  }
  uint32_t U32(size_t at) const { return U16(at) | uint32_t(U16(at + 2)) << 16; }
  void Need(size_t end) const {
    if (end > bytes_.size()) throw std::runtime_error("archive truncated");
  }
  size_t FindEndRecord() const {
    for (size_t at = bytes_.size() >= 22 ? bytes_.size() - 22 : 0;; --at) {
      if (U32(at) == 0x06054b50) return at;
      if (at == 0) throw std::runtime_error("no end of central directory");
    }
  }
  std::string Data(size_t local, uint16_t method, uint32_t packed, uint32_t size) const {
    if (U32(local) != 0x04034b50) throw std::runtime_error("bad local header");
    const size_t start = local + 30 + U16(local + 26) + U16(local + 28);
    Need(start + packed);
    if (method == 0) return bytes_.substr(start, packed);
    if (method != 8) throw std::runtime_error("unknown method");
    std::string out(size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::runtime_error("inflateInit2");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes_.data() + start));
    z.avail_in = packed;
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = size;
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    if (rc != Z_STREAM_END || z.total_out != size) throw std::runtime_error("inflate failed");
    return out;
  }
  std::string bytes_;
};

}  // namespace archive_test
