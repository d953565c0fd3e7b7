// A reader of Zip archives on zlib, for Windows, where no archive library can be
// linked into the exe: the central directory (Zip64 included) and each entry's
// data, stored or Deflate, inflated in small blocks and checked against its
// CRC-32 and size. It reads what the Zip writer writes and what common tools
// write; it refuses encrypted entries, other methods and archives split on disks.
#pragma once
#include <cstdint>
#include <vector>

#include "archive/ArchiveReader.h"
#include "archive/FileStream.h"

namespace archive {

class ZipReader final : public IArchiveReader {
 public:
  explicit ZipReader(const WString& path);

  std::vector<ArchiveEntry> List() override;
  void ReadAll(IEntrySink& sink) override;
  const WString& ArchiveName() const override { return path_; }

 private:
  struct Record {
    ArchiveEntry entry;
    uint16_t flags = 0, method = 0;
    uint64_t packedSize = 0, localOffset = 0;
  };
  void ReadCentralDirectory();
  void ReadEntryData(const Record& r, IEntrySink& sink);
  [[noreturn]] void Fail(const WString& cause, const WString& entry = {}) const;

  WString path_;
  TFileStream file_;
  std::vector<Record> records_;
};

}  // namespace archive
