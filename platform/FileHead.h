// The first bytes of a file, for showing a text that may be huge (an INF of the
// disk being read): the cost is the cap, whatever the file's size.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Text.h"

namespace paths {

// The INF tab and `show` show at most this much of a file.
constexpr uint64_t kShownTextBytes = 4u << 20;

struct FileHead {
  std::string bytes;  // at most the cap, never ending inside a UTF-8 sequence or UTF-16 unit
  uint64_t size = 0;  // the whole file's size
  bool Cut() const { return bytes.size() < size; }
};

// Reads the first `cap` bytes of `path`. Raises QuillonError naming the file when
// it cannot be opened or read.
FileHead ReadFileHead(const WString& path, uint64_t cap = kShownTextBytes);

// The line that follows a cut text: "[Only the first 4 MiB of this 200 MiB file are shown.]";
// empty when nothing was cut.
WString CutNote(const FileHead& head);

}  // namespace paths
