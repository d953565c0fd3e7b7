#include "archive/ZipReader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "archive/EntryNames.h"

namespace archive {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50, kZip64EndSignature = 0x06064b50, kZip64LocatorSignature = 0x07064b50,
                   kCentralSignature = 0x02014b50, kLocalSignature = 0x04034b50;
constexpr size_t kEndSize = 22, kZip64LocatorSize = 20, kCentralSize = 46, kLocalSize = 30;
constexpr size_t kMaxComment = 0xFFFF;
constexpr size_t kBlock = 64 * 1024;
constexpr uint16_t kMethodStored = 0, kMethodDeflate = 8;
constexpr uint16_t kFlagEncrypted = 1;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return U16(p) | uint32_t(U16(p + 2)) << 16; }
uint64_t U64(const uint8_t* p) { return U32(p) | uint64_t(U32(p + 4)) << 32; }

winapi::SystemTime FromDos(uint16_t time, uint16_t date) {
  winapi::SystemTime t;
  t.wYear = uint16_t(1980 + (date >> 9));
  t.wMonth = uint16_t((date >> 5) & 15);
  t.wDay = uint16_t(date & 31);
  t.wHour = uint16_t(time >> 11);
  t.wMinute = uint16_t((time >> 5) & 63);
  t.wSecond = uint16_t((time & 31) * 2);
  return t;
}

// A zlib stream that ends itself.
class Inflater {
 public:
  Inflater() {
    if (inflateInit2(&z_, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
  }
  ~Inflater() { inflateEnd(&z_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  z_stream& Stream() { return z_; }

 private:
  z_stream z_{};
};

}  // namespace

ZipReader::ZipReader(const WString& path) : path_(path), file_(path, TFileStream::Mode::Read) {
  ReadCentralDirectory();
}

void ZipReader::Fail(const WString& cause, const WString& entry) const {
  WString message = Printable(path_) + u": ";
  if (!entry.empty()) message += u"the entry \"" + Printable(entry) + u"\": ";
  throw ArchiveError(message + cause);
}

void ZipReader::ReadCentralDirectory() {
  const uint64_t size = file_.Size();
  if (size < kEndSize) Fail(u"not a Zip archive (too short)");
  // The end record is in the last 22 bytes plus a comment of at most 64 KiB.
  const uint64_t tailStart = size - std::min<uint64_t>(size, kEndSize + kMaxComment);
  std::vector<uint8_t> tail(size_t(size - tailStart));
  file_.Seek(int64_t(tailStart), 0);
  if (file_.Read(tail.data(), tail.size()) != tail.size()) Fail(u"the archive could not be read to its end");
  size_t end = tail.size() - kEndSize + 1;
  do {
    --end;
  } while (end > 0 && U32(&tail[end]) != kEndSignature);
  if (U32(&tail[end]) != kEndSignature) Fail(u"not a Zip archive (no end of central directory)");
  const uint8_t* e = &tail[end];
  if (U16(e + 4) != 0 || U16(e + 6) != 0) Fail(u"archives split on several disks are not supported");
  uint64_t count = U16(e + 10), directorySize = U32(e + 12), directoryOffset = U32(e + 16);
  const uint64_t endOffset = tailStart + end;
  if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
    uint8_t locator[kZip64LocatorSize], zip64[56];
    if (endOffset < kZip64LocatorSize) Fail(u"the Zip64 end record is missing");
    file_.Seek(int64_t(endOffset - kZip64LocatorSize), 0);
    if (file_.Read(locator, sizeof locator) != sizeof locator || U32(locator) != kZip64LocatorSignature)
      Fail(u"the Zip64 end record is missing");
    const uint64_t zip64Offset = U64(locator + 8);
    if (zip64Offset > size - sizeof zip64) Fail(u"the Zip64 end record lies outside the archive");
    file_.Seek(int64_t(zip64Offset), 0);
    if (file_.Read(zip64, sizeof zip64) != sizeof zip64 || U32(zip64) != kZip64EndSignature)
      Fail(u"the Zip64 end record is damaged");
    count = U64(zip64 + 32);
    directorySize = U64(zip64 + 40);
    directoryOffset = U64(zip64 + 48);
  }
  if (directoryOffset > endOffset || directorySize > endOffset - directoryOffset)
    Fail(u"the central directory lies outside the archive (truncated?)");
  // Every record takes at least 46 bytes: a hostile count cannot make us reserve much.
  if (count > directorySize / kCentralSize) Fail(u"the central directory is shorter than its entry count");
  file_.Seek(int64_t(directoryOffset), 0);
  uint64_t left = directorySize;
  std::vector<uint8_t> variable;
  for (uint64_t i = 0; i < count; ++i) {
    uint8_t h[kCentralSize];
    if (left < kCentralSize || file_.Read(h, kCentralSize) != kCentralSize || U32(h) != kCentralSignature)
      Fail(u"the central directory is damaged at entry " + text::FromUInt(i + 1));
    left -= kCentralSize;
    const size_t nameLength = U16(h + 28), extraLength = U16(h + 30), commentLength = U16(h + 32);
    const size_t variableLength = nameLength + extraLength + commentLength;
    variable.resize(variableLength);
    if (left < variableLength || file_.Read(variable.data(), variableLength) != variableLength)
      Fail(u"the central directory is damaged at entry " + text::FromUInt(i + 1));
    left -= variableLength;
    Record r;
    r.flags = U16(h + 8);
    r.method = U16(h + 10);
    r.entry.modified = FromDos(U16(h + 12), U16(h + 14));
    r.entry.crc = U32(h + 16);
    r.packedSize = U32(h + 20);
    r.entry.size = U32(h + 24);
    r.localOffset = U32(h + 42);
    // Names without the UTF-8 flag are read as UTF-8 too: the tools that leave it
    // out write ASCII names.
    r.entry.name = text::FromUtf8(std::string_view(reinterpret_cast<const char*>(variable.data()), nameLength));
    r.entry.isFolder = !r.entry.name.empty() && (r.entry.name.back() == u'/' || r.entry.name.back() == u'\\');
    // Zip64 extra field: the 64-bit values of the fields that hold 0xFFFFFFFF, in order.
    for (size_t at = nameLength; at + 4 <= nameLength + extraLength;) {
      const uint16_t id = U16(&variable[at]), length = U16(&variable[at + 2]);
      const size_t data = at + 4;
      if (data + length > nameLength + extraLength) break;
      if (id == 0x0001) {
        size_t next = data;
        for (uint64_t* field : {&r.entry.size, &r.packedSize, &r.localOffset}) {
          if (*field != 0xFFFFFFFF) continue;
          if (next + 8 > data + length) Fail(u"its Zip64 field is too short", r.entry.name);
          *field = U64(&variable[next]);
          next += 8;
        }
      }
      at = data + length;
    }
    records_.push_back(std::move(r));
  }
}

std::vector<ArchiveEntry> ZipReader::List() {
  std::vector<ArchiveEntry> entries;
  entries.reserve(records_.size());
  for (const Record& r : records_) entries.push_back(r.entry);
  return entries;
}

void ZipReader::ReadAll(IEntrySink& sink) {
  for (const Record& r : records_)
    if (!r.entry.isFolder) ReadEntryData(r, sink);
}

void ZipReader::ReadEntryData(const Record& r, IEntrySink& sink) {
  const WString& name = r.entry.name;
  if (r.flags & kFlagEncrypted) Fail(u"it is encrypted", name);
  if (r.method != kMethodStored && r.method != kMethodDeflate)
    Fail(u"its compression method " + text::FromUInt(r.method) + u" is not supported", name);
  uint8_t local[kLocalSize];
  file_.Seek(int64_t(r.localOffset), 0);
  if (file_.Read(local, kLocalSize) != kLocalSize || U32(local) != kLocalSignature)
    Fail(u"its local header is missing (truncated or damaged archive)", name);
  const uint64_t dataOffset = r.localOffset + kLocalSize + U16(local + 26) + U16(local + 28);
  if (dataOffset > file_.Size() || r.packedSize > file_.Size() - dataOffset)
    Fail(u"its data runs past the end of the archive (truncated?)", name);
  file_.Seek(int64_t(dataOffset), 0);

  sink.BeginEntry(r.entry);
  std::vector<uint8_t> in(kBlock), out(kBlock);
  uint64_t packedLeft = r.packedSize, produced = 0;
  uint32_t crc = uint32_t(crc32(0, nullptr, 0));
  auto emit = [&](const uint8_t* data, size_t size) {
    produced += size;
    if (produced > r.entry.size) Fail(u"it holds more data than its recorded size", name);
    crc = uint32_t(crc32(crc, data, uInt(size)));
    sink.Write(data, size);
  };
  if (r.method == kMethodStored) {
    if (r.packedSize != r.entry.size) Fail(u"its stored size and size differ", name);
    while (packedLeft > 0) {
      const size_t n = file_.Read(in.data(), size_t(std::min<uint64_t>(packedLeft, in.size())));
      if (n == 0) Fail(u"its data is cut short", name);
      packedLeft -= n;
      emit(in.data(), n);
    }
  } else {
    Inflater inflater;
    z_stream& z = inflater.Stream();
    int status = Z_OK;
    while (status != Z_STREAM_END) {
      if (z.avail_in == 0) {
        if (packedLeft == 0) Fail(u"its compressed data ends early", name);
        const size_t n = file_.Read(in.data(), size_t(std::min<uint64_t>(packedLeft, in.size())));
        if (n == 0) Fail(u"its data is cut short", name);
        packedLeft -= n;
        z.next_in = in.data();
        z.avail_in = uInt(n);
      }
      z.next_out = out.data();
      z.avail_out = uInt(out.size());
      status = inflate(&z, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
        Fail(u"its compressed data is damaged (" + text::W(z.msg ? z.msg : "inflate failed") + u")", name);
      emit(out.data(), out.size() - z.avail_out);
    }
    if (z.avail_in != 0 || packedLeft != 0) Fail(u"its compressed data is longer than its stream", name);
  }
  if (produced != r.entry.size) Fail(u"it holds less data than its recorded size", name);
  if (crc != *r.entry.crc) Fail(u"its CRC does not match (the data is damaged)", name);
  sink.EndEntry();
}

}  // namespace archive
