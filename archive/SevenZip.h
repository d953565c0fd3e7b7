// Unit sevenzip: writes .7z archives through the 7-Zip format library loaded at
// run time (7z.dll on Windows, 7z.so on Linux). Callers see I7zOutArchive only.
#pragma once
#include <cstdint>

#include "platform/ComPtr.h"
#include "archive/SevenZipAbi.h"
#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace sevenzip {

// Progress of a save: total true gives the whole amount of work, false the amount
// done so far. The result goes back to the library; non-zero stops the save.
using T7zProgressCallback = int32_t (*)(void* sender, bool total, uint64_t value);

// One queued file.
struct T7zBatchItem {
  uint32_t Attributes = 0;
  winapi::FileTime CreationTime, LastWriteTime, LastAccessTime;
  WString Path;  // the item's path inside the archive
  bool IsFolder = false;
  bool IsAnti = false;
  WString FileName;  // the file on disk
  int64_t Size = 0;
};

// A batch of files written as one archive. Reference-counted; it has no interface
// id of its own, so the library never asks for it.
class I7zOutArchive : public abi::IUnknown {
 public:
  // Queues the file when it exists; otherwise does nothing.
  virtual void AddFile(const WString& fileName, const WString& path) = 0;
  // Queues every file below `folder` matching one of `masks` (";"-separated), all
  // subfolders included, under its path relative to `folder`.
  virtual void AddFiles(const WString& folder, const WString& masks) = 0;
  // Creates (replaces) the file and has the library write the archive into it.
  virtual void SaveToFile(const WString& fileName) = 0;
  virtual void SetProgressCallback(void* sender, T7zProgressCallback callback) = 0;
  // Passes one property to the format handler.
  virtual void SetProperty(const WString& name, const abi::PROPVARIANT& value) = 0;
  virtual void SetClassID(const winapi::Guid& classId) = 0;

 protected:
  ~I7zOutArchive() = default;
};

// Loads the library at `libraryPath` and returns a writer for the format `classId`.
// Raises on a library that cannot be loaded or is no 7-Zip format library.
TComPtr<I7zOutArchive> CreateOutArchive(const winapi::Guid& classId, const WString& libraryPath);
void SetUInt32Property(I7zOutArchive& archive, const WString& name, uint32_t value);
// The property "X" (0 = store … 9 = ultra).
void SetCompressionLevel(I7zOutArchive& archive, uint32_t level);
// A non-zero code raises OSError with the system's text for it.
void CheckResult(int32_t code);

}  // namespace sevenzip
