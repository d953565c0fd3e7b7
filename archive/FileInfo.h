// What the archive writers store about a file on disk: its Windows attributes,
// its three times and its size.
#pragma once
#include <cstdint>

#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace archive {

constexpr uint32_t kFileAttributeReadOnly = 0x01;
constexpr uint32_t kFileAttributeHidden = 0x02;
constexpr uint32_t kFileAttributeSystem = 0x04;
constexpr uint32_t kFileAttributeArchive = 0x20;
// 7-Zip's marker for a POSIX mode in the high 16 bits of the attributes.
constexpr uint32_t kFileAttributeUnixExtension = 0x8000;

struct TFileInfo {
  uint32_t Attributes = 0;
  winapi::FileTime CreationTime, LastAccessTime, LastWriteTime;
  int64_t Size = 0;
};

// False when `path` names no regular file (or it cannot be read). On Windows the
// attributes are the file system's; on Linux a dot name counts as hidden, a file
// without write permission as read-only, and the POSIX mode rides in the high bits.
bool ReadFileInfo(const WString& path, TFileInfo& info);

}  // namespace archive
