// A writer of the standard Zip format on zlib: Deflate entries (level 6) streamed
// in fixed-size chunks, CRC-32, DOS times in local time, UTF-8 names (flag bit 11)
// and Zip64 records wherever sizes, offsets or the entry count need them.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "archive/FileStream.h"
#include "platform/Text.h"

namespace archive {

class TZipWriter {
 public:
  // Called while an entry is compressed, about once per MiB read, with the bytes
  // of the current file read so far.
  using TProgress = std::function<void(uint64_t fileBytesDone)>;

  // Creates the archive (an existing file is replaced).
  explicit TZipWriter(const WString& archiveName);
  ~TZipWriter();
  TZipWriter(const TZipWriter&) = delete;
  TZipWriter& operator=(const TZipWriter&) = delete;

  void SetProgress(TProgress progress) { fProgress = std::move(progress); }
  // Adds `fileName` under `nameInArchive`; host delimiters become '/', as Zip requires.
  void AddFile(const WString& fileName, const WString& nameInArchive);
  // Writes the central directory and closes the file. Without it the file stays
  // an unfinished archive (the caller removes it).
  void Close();

  static constexpr size_t kChunkSize = 64 * 1024;

 private:
  struct Entry;
  void WriteLocalHeader(const Entry& e, bool zip64);
  void CompressData(const WString& fileName, Entry& e);
  void PatchLocalHeader(const Entry& e, bool zip64);
  void WriteCentralDirectory();

  TFileStream fOut;
  std::vector<Entry> fEntries;
  TProgress fProgress;
  std::vector<unsigned char> fIn, fDeflated;
  bool fClosed = false;
};

// The name of an entry as Zip stores it: '/' between the parts, UTF-8 underneath.
std::string ZipEntryName(WStringView nameInArchive);

}  // namespace archive
