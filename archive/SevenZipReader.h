// Reading .7z and .Zip archives through the 7-Zip format library (7z.dll, 7z.so),
// loaded as the writer loads it. The library checks each entry's CRC; its verdict
// comes back per entry and ends the reading at the first fault.
#pragma once
#include <memory>
#include <vector>

#include "archive/ArchiveReader.h"
#include "archive/SevenZipAbi.h"
#include "archive/SevenZipPlugin.h"
#include "platform/ComPtr.h"

namespace sevenzip {

class SevenZipReader final : public archive::IArchiveReader {
 public:
  // Loads the library and opens `path` with the format `classId` (7z or Zip).
  // Raises ArchiveError when the library cannot be used or the file is no
  // archive of that format.
  SevenZipReader(const WString& path, const WString& libraryPath, const abi::GUID& classId);
  ~SevenZipReader() override;

  std::vector<archive::ArchiveEntry> List() override { return entries_; }
  void ReadAll(archive::IEntrySink& sink) override;
  const WString& ArchiveName() const override { return path_; }

  class Format;  // the loaded library, shared by reference count

 private:
  void ReadEntries();

  WString path_;
  TComPtr<Format> format_;
  TComPtr<abi::IInArchive> archive_;  // after format_: released before the library goes
  std::vector<archive::ArchiveEntry> entries_;
};

// The class ids of the two formats Quillon writes.
extern const abi::GUID kSevenZipFormat;
extern const abi::GUID kZipFormat;

}  // namespace sevenzip
