#include "archive/ZipWriter.h"

#include <zlib.h>

#include <algorithm>
#include <ctime>

#include "archive/FileInfo.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/StillWorking.h"

namespace archive {

namespace {

constexpr uint32_t kLocalHeaderSig = 0x04034b50;
constexpr uint32_t kCentralHeaderSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kZip64EndSig = 0x06064b50;
constexpr uint32_t kZip64LocatorSig = 0x07064b50;
constexpr uint16_t kFlagUtf8 = 1 << 11;
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kVersionDeflate = 20;
constexpr uint16_t kVersionZip64 = 45;
constexpr uint16_t kZip64ExtraId = 0x0001;
constexpr uint32_t kMax32 = 0xFFFFFFFFu;
constexpr uint16_t kMax16 = 0xFFFFu;
constexpr uint64_t kProgressStep = 1 << 20;
// Entries at least this large get Zip64 sizes in their local header: Deflate can
// grow incompressible data by a few bytes per 16 KiB block.
constexpr uint64_t kZip64EntryThreshold = 0xFF000000u;

// Little-endian record under construction.
class Record {
 public:
  Record& U16(uint32_t v) { return Put(v, 2); }
  Record& U32(uint64_t v) { return Put(v, 4); }
  Record& U64(uint64_t v) { return Put(v, 8); }
  Record& Bytes(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  const std::vector<unsigned char>& Data() const { return bytes_; }
  void WriteTo(TFileStream& out) const { out.Write(bytes_.data(), bytes_.size()); }

 private:
  Record& Put(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<unsigned char>(v >> (8 * i)));
    return *this;
  }
  std::vector<unsigned char> bytes_;
};

// MS-DOS date and time of a FILETIME, in local time; 1980-01-01 for earlier times.
void DosDateTime(const winapi::FileTime& ft, uint16_t& date, uint16_t& time) {
  constexpr uint64_t kUnixEpoch = 116444736000000000ull;
  date = (0 << 9) | (1 << 5) | 1;
  time = 0;
  if (ft.Value() < kUnixEpoch) return;
  const std::time_t t = static_cast<std::time_t>((ft.Value() - kUnixEpoch) / 10000000ull);
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &t) != 0) return;
#else
  if (!localtime_r(&t, &local)) return;
#endif
  if (local.tm_year < 80) return;
  date = static_cast<uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
  time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

}  // namespace

struct TZipWriter::Entry {
  std::string name;
  WString sourceFile;  // while its pieces are in flight, for error messages
  uint16_t dosDate = 0, dosTime = 0;
  uint16_t madeBy = kVersionDeflate;  // high byte: 0 = MS-DOS attributes, 3 = Unix mode
  uint32_t externalAttributes = 0;
  uint32_t crc = 0;
  uint64_t compressedSize = 0, uncompressedSize = 0, localHeaderOffset = 0;
  bool zip64Sizes = false;
};

std::string ZipEntryName(WStringView nameInArchive) {
  WString name(nameInArchive);
  for (char16_t& c : name)
    if (paths::IsPathDelimiter(c)) c = u'/';
  return text::ToUtf8(name);
}

TZipWriter::TZipWriter(const WString& archiveName, unsigned threads)
    : out_(archiveName, TFileStream::Mode::Create), deflater_(threads) {}

TZipWriter::~TZipWriter() = default;

namespace {
WString GrewPast4GiB(const WString& fileName) {
  return text::W("The file \"") + fileName + text::W("\" grew past 4 GiB while it was archived");
}
}  // namespace

void TZipWriter::AddFile(const WString& fileName, const WString& nameInArchive) {
  if (closed_) throw QuillonError(text::W("The Zip archive is already closed"));
  TFileInfo info;
  if (!ReadFileInfo(fileName, info))
    throw QuillonError(text::W("Cannot open file \"") + fileName + text::W("\". No such file"));
  Entry e;
  e.name = ZipEntryName(nameInArchive);
  if (e.name.size() > kMax16) throw QuillonError(text::W("Name too long for a Zip entry: ") + nameInArchive);
  DosDateTime(info.LastWriteTime, e.dosDate, e.dosTime);
  if (info.Attributes & kFileAttributeUnixExtension) {
    e.madeBy = (3 << 8) | kVersionZip64;
    e.externalAttributes = info.Attributes & ~kFileAttributeUnixExtension;
  } else {
    e.madeBy = kVersionZip64;
    e.externalAttributes = info.Attributes & 0xFF;
  }
  e.zip64Sizes = static_cast<uint64_t>(info.Size) >= kZip64EntryThreshold;
  e.sourceFile = fileName;
  TFileStream in(fileName, TFileStream::Mode::Read);
  const size_t index = entries_.size();
  entries_.push_back(std::move(e));

  dictionary_.clear();
  uint64_t bytesRead = 0, nextProgress = kProgressStep;
  for (bool first = true;; first = false) {
    TDeflateChunk chunk = deflater_.Spare();
    chunk.input.assign(dictionary_.begin(), dictionary_.end());
    chunk.dictionarySize = dictionary_.size();
    chunk.input.resize(chunk.dictionarySize + kChunkSize);
    const size_t n = in.Read(chunk.input.data() + chunk.dictionarySize, kChunkSize);
    chunk.input.resize(chunk.dictionarySize + n);
    chunk.last = n < kChunkSize;
    bytesRead += n;
    if (!entries_[index].zip64Sizes && bytesRead >= kMax32) throw QuillonError(GrewPast4GiB(fileName));
    // The next piece sees the last 32 KiB of everything before it, as one stream would.
    const size_t keep = std::min(chunk.input.size(), TChunkDeflater::kDictionarySize);
    dictionary_.assign(chunk.input.end() - static_cast<std::ptrdiff_t>(keep), chunk.input.end());
    const bool last = chunk.last;
    Submit(std::move(chunk), {index, first, last});
    working::Tick();
    if (progress_ && bytesRead >= nextProgress) {
      progress_(bytesRead);
      nextProgress = bytesRead + kProgressStep;
    }
    if (last) break;
  }
}

void TZipWriter::Submit(TDeflateChunk chunk, Piece piece) {
  while (deflater_.InFlight() >= deflater_.Capacity()) WriteOldestPiece();
  pieces_.push_back(piece);
  deflater_.Submit(std::move(chunk));
}

void TZipWriter::WriteOldestPiece() {
  TDeflateChunk chunk = deflater_.TakeOldest();
  const Piece piece = pieces_.front();
  pieces_.pop_front();
  Entry& e = entries_[piece.entry];
  if (piece.first) {
    e.localHeaderOffset = out_.Position();
    WriteLocalHeader(e);
  }
  out_.Write(chunk.output.data(), chunk.output.size());
  e.crc = static_cast<uint32_t>(crc32_combine(e.crc, chunk.crc, static_cast<z_off_t>(chunk.DataSize())));
  e.uncompressedSize += chunk.DataSize();
  e.compressedSize += chunk.output.size();
  deflater_.Recycle(std::move(chunk));
  if (!piece.last) return;
  if (!e.zip64Sizes && (e.uncompressedSize >= kMax32 || e.compressedSize >= kMax32))
    throw QuillonError(GrewPast4GiB(e.sourceFile));
  PatchLocalHeader(e);
  e.sourceFile = WString();
}

void TZipWriter::WriteLocalHeader(const Entry& e) {
  const bool zip64 = e.zip64Sizes;
  Record r;
  r.U32(kLocalHeaderSig).U16(zip64 ? kVersionZip64 : kVersionDeflate).U16(kFlagUtf8).U16(kMethodDeflate);
  r.U16(e.dosTime).U16(e.dosDate).U32(0);  // CRC and sizes are patched in once known
  r.U32(zip64 ? kMax32 : 0).U32(zip64 ? kMax32 : 0);
  r.U16(e.name.size()).U16(zip64 ? 20 : 0).Bytes(e.name);
  if (zip64) r.U16(kZip64ExtraId).U16(16).U64(0).U64(0);
  r.WriteTo(out_);
}

void TZipWriter::PatchLocalHeader(const Entry& e) {
  const bool zip64 = e.zip64Sizes;
  const uint64_t end = out_.Position();
  Record sizes;
  sizes.U32(e.crc).U32(zip64 ? kMax32 : e.compressedSize).U32(zip64 ? kMax32 : e.uncompressedSize);
  out_.Seek(static_cast<int64_t>(e.localHeaderOffset + 14), 0);
  sizes.WriteTo(out_);
  if (zip64) {
    Record extra;
    extra.U64(e.uncompressedSize).U64(e.compressedSize);
    out_.Seek(static_cast<int64_t>(e.localHeaderOffset + 30 + e.name.size() + 4), 0);
    extra.WriteTo(out_);
  }
  out_.Seek(static_cast<int64_t>(end), 0);
}

void TZipWriter::WriteCentralDirectory() {
  const uint64_t centralOffset = out_.Position();
  for (const Entry& e : entries_) {
    const bool offset64 = e.localHeaderOffset >= kMax32;
    Record extra;
    if (e.zip64Sizes) extra.U64(e.uncompressedSize).U64(e.compressedSize);
    if (offset64) extra.U64(e.localHeaderOffset);
    const bool zip64 = e.zip64Sizes || offset64;
    Record r;
    r.U32(kCentralHeaderSig).U16(e.madeBy).U16(zip64 ? kVersionZip64 : kVersionDeflate);
    r.U16(kFlagUtf8).U16(kMethodDeflate).U16(e.dosTime).U16(e.dosDate).U32(e.crc);
    r.U32(e.zip64Sizes ? kMax32 : e.compressedSize).U32(e.zip64Sizes ? kMax32 : e.uncompressedSize);
    r.U16(e.name.size()).U16(zip64 ? 4 + extra.Data().size() : 0).U16(0);  // no comment
    r.U16(0).U16(0).U32(e.externalAttributes);  // disk 0, no internal attributes
    r.U32(offset64 ? kMax32 : e.localHeaderOffset).Bytes(e.name);
    if (zip64) r.U16(kZip64ExtraId).U16(extra.Data().size());
    r.WriteTo(out_);
    if (zip64) extra.WriteTo(out_);
  }
  const uint64_t centralEnd = out_.Position();
  const uint64_t centralSize = centralEnd - centralOffset;
  const uint64_t count = entries_.size();
  const bool zip64End = count >= kMax16 || centralSize >= kMax32 || centralOffset >= kMax32;
  if (zip64End) {
    Record r;
    r.U32(kZip64EndSig).U64(44).U16(kVersionZip64).U16(kVersionZip64).U32(0).U32(0);
    r.U64(count).U64(count).U64(centralSize).U64(centralOffset);
    r.U32(kZip64LocatorSig).U32(0).U64(centralEnd).U32(1);
    r.WriteTo(out_);
  }
  Record end;
  end.U32(kEndSig).U16(0).U16(0);
  end.U16(count >= kMax16 ? kMax16 : count).U16(count >= kMax16 ? kMax16 : count);
  end.U32(centralSize >= kMax32 ? kMax32 : centralSize).U32(centralOffset >= kMax32 ? kMax32 : centralOffset);
  end.U16(0);
  end.WriteTo(out_);
}

void TZipWriter::Close() {
  if (closed_) return;
  while (deflater_.InFlight()) WriteOldestPiece();
  WriteCentralDirectory();
  closed_ = true;
  out_.Close();
}

}  // namespace archive
