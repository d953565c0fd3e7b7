// Reading the archives Quillon writes (.7z and .Zip) and any others of those
// formats: listing the entries, testing every entry's CRC, extracting to a folder.
// Everything streams: an entry's data passes through in small blocks and is never
// held whole. An archive on a disk being read is hostile: every failure is an
// ArchiveError naming the archive (and the entry), names are checked before
// anything is written (EntryNames.h), and nothing is written outside the folder
// extracted to.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace archive {

class ArchiveError : public QuillonError {
 public:
  using QuillonError::QuillonError;
};

struct ArchiveEntry {
  WString name;  // as stored, '/' or '\' between the parts
  bool isFolder = false;
  uint64_t size = 0;
  std::optional<uint32_t> crc;  // none where the format or the reading library gives none
  winapi::SystemTime modified;  // as stored: local time in Zip, UTC in 7z
};

// Receives the entries' data in archive order.
class IEntrySink {
 public:
  virtual void BeginEntry(const ArchiveEntry& entry) = 0;
  virtual void Write(const void* data, size_t size) = 0;
  // The entry's data is complete and its CRC (where it has one) matched.
  virtual void EndEntry() = 0;

 protected:
  ~IEntrySink() = default;
};

class IArchiveReader {
 public:
  virtual ~IArchiveReader() = default;
  virtual std::vector<ArchiveEntry> List() = 0;
  // Passes every file entry's data to `sink`, checking each CRC; raises at the
  // first entry that cannot be read or does not match.
  virtual void ReadAll(IEntrySink& sink) = 0;
  virtual const WString& ArchiveName() const = 0;
};

// A reader for the archive `path`: through the 7-Zip library at
// `sevenZipLibrary` when one is given (it reads .7z and .Zip), otherwise by the
// file's first bytes: a Zip through the reader that needs no 7-Zip library
// (libarchive on Linux, the Zip reader on zlib on Windows), a 7z through
// libarchive on Linux. Raises ArchiveError for anything else.
std::unique_ptr<IArchiveReader> OpenArchiveReader(const WString& path, const WString& sevenZipLibrary);

// Every entry's data read and its CRC checked; raises at the first fault.
// Returns the number of files tested.
size_t TestArchive(IArchiveReader& reader);

// Extracts every entry below `folder` (created when missing). Every name is
// checked first: an absolute name, "..", a drive letter, a ':' or a device
// name (CON, NUL, COM1, …) refuses the whole archive before anything is written.
// A file is only ever created new; a path through a link, or onto an existing
// file, is refused. Returns the number of files written.
size_t ExtractArchive(IArchiveReader& reader, const WString& folder);

}  // namespace archive
