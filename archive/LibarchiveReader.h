// Reading .Zip and .7z archives through libarchive, on Linux, where no 7-Zip
// library is at hand. libarchive reads forward only: each pass opens the archive
// again. It checks the CRCs itself but does not report them: entries listed
// through it have none.
#pragma once
#ifndef _WIN32
#include "archive/ArchiveReader.h"

namespace archive {

class LibarchiveReader final : public IArchiveReader {
 public:
  // Raises ArchiveError when the file is no archive libarchive reads.
  explicit LibarchiveReader(const WString& path);

  std::vector<ArchiveEntry> List() override;
  void ReadAll(IEntrySink& sink) override;
  const WString& ArchiveName() const override { return path_; }

 private:
  WString path_;
};

}  // namespace archive
#endif
