// A writer of the standard Zip format on zlib: Deflate entries (level 6), CRC-32,
// DOS times in local time, UTF-8 names (flag bit 11) and Zip64 records wherever
// sizes, offsets or the entry count need them.
//
// Files are read in fixed-size pieces that are compressed on all processors
// (each piece a self-contained part of its entry's Deflate stream, see
// DeflateChunk.h) and written in order; at most a fixed number of pieces are in
// memory at once. The archive's bytes are the same whatever the number of threads.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "archive/FileStream.h"
#include "archive/ParallelDeflater.h"
#include "platform/Text.h"

namespace archive {

class TZipWriter {
 public:
  // Called while an entry is compressed, about once per MiB read, with the bytes
  // of the current file read so far.
  using TProgress = std::function<void(uint64_t fileBytesDone)>;

  // Creates the archive (an existing file is replaced). `threads`: compression
  // threads, 0 for one per processor.
  explicit TZipWriter(const WString& archiveName, unsigned threads = 0);
  ~TZipWriter();
  TZipWriter(const TZipWriter&) = delete;
  TZipWriter& operator=(const TZipWriter&) = delete;

  void SetProgress(TProgress progress) { progress_ = std::move(progress); }
  // Adds `fileName` under `nameInArchive`; host delimiters become '/', as Zip
  // requires. The file has been read when this returns; its last pieces may
  // still be compressing (write errors can come from a later call).
  void AddFile(const WString& fileName, const WString& nameInArchive);
  // Writes what is still in flight and the central directory, and closes the
  // file. Without it the file stays an unfinished archive (the caller removes it).
  void Close();

  // The size of the pieces a file is read and compressed in.
  static constexpr size_t kChunkSize = 256 * 1024;

 private:
  struct Entry;
  struct Piece {
    size_t entry;
    bool first, last;
  };
  void Submit(TDeflateChunk chunk, Piece piece);
  void WriteOldestPiece();
  void WriteLocalHeader(const Entry& e);
  void PatchLocalHeader(const Entry& e);
  void WriteCentralDirectory();

  TFileStream out_;
  std::vector<Entry> entries_;
  std::deque<Piece> pieces_;  // of the pieces in flight, in order
  std::vector<unsigned char> dictionary_;  // the input just before the next piece
  TProgress progress_;
  bool closed_ = false;
  TParallelDeflater deflater_;  // last: its workers stop before the rest goes
};

// The name of an entry as Zip stores it: '/' between the parts, UTF-8 underneath.
std::string ZipEntryName(WStringView nameInArchive);

}  // namespace archive
