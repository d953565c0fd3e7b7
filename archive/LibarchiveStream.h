// libarchive behind a small interface of its own: libarchive's C type `struct
// archive` and this program's namespace `archive` cannot meet in one file.
#pragma once
#ifndef _WIN32
#include <cstdint>
#include <string>

namespace libarchive_stream {

struct Header {
  std::string name;  // UTF-8
  bool isFolder = false;
  uint64_t size = 0;
  bool hasTime = false;
  int64_t modified = 0;  // seconds since 1970, UTC
};

// One forward pass over a .Zip or .7z archive.
class Reader {
 public:
  // Check Ok() (and ErrorText()) after constructing.
  explicit Reader(const std::string& utf8Path);
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  bool Ok() const { return ok_; }
  // 1: `header` holds the next entry; 0: the end; -1: a fault (also a warning).
  int Next(Header& header);
  // The bytes read into `buffer`; 0 at the entry's end; -1 on a fault (a CRC
  // mismatch is one).
  int64_t Read(void* buffer, size_t size);
  std::string ErrorText() const;

 private:
  void* archive_;
  bool ok_ = false;
};

}  // namespace libarchive_stream
#endif
