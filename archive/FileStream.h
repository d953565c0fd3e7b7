// A binary file on a host path with 64-bit positions, read and written in chunks
// the caller chooses; never loads a file whole. Errors raise QuillonError.
#pragma once
#include <cstdint>
#include <cstdio>

#include "platform/Text.h"

namespace archive {

class TFileStream {
 public:
  enum class Mode {
    Read,    // an existing file, shared with other readers and writers
    Create,  // a new or emptied file, for reading and writing
  };
  TFileStream(const WString& path, Mode mode);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  // Up to `size` bytes; fewer only at the end of the file.
  size_t Read(void* data, size_t size);
  void Write(const void* data, size_t size);
  // origin 0/1/2: from the start, the current position, the end. Returns the new position.
  uint64_t Seek(int64_t offset, int origin);
  uint64_t Position();
  uint64_t Size();
  void SetSize(uint64_t size);
  // Flushes and closes, raising when the last writes failed.
  void Close();
  const WString& Path() const { return path_; }

 private:
  // Raises "<what> "<path>": <the system's text for errno>".
  [[noreturn]] void Fail(const char* what);
  // What a failed seek means for this stream: it could not be read, or written.
  const char* AccessVerb() const;
  void RequireOpen() const;
  WString path_;
  Mode mode_;
  std::FILE* file_ = nullptr;
};

}  // namespace archive
