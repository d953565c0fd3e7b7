// The POSIX half of ReadFileInfo: statx, with the birth time when the file system keeps one.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>

#include "archive/FileInfo.h"
#include "platform/Paths.h"

namespace archive {

namespace {
// Seconds between 1601-01-01 and 1970-01-01.
constexpr uint64_t kUnixEpochInFileTimeSeconds = 11644473600ull;

winapi::FileTime ToFileTime(const struct statx_timestamp& t) {
  const int64_t seconds = t.tv_sec + int64_t(kUnixEpochInFileTimeSeconds);
  if (seconds < 0) return {};
  return winapi::FileTime::From(uint64_t(seconds) * 10000000ull + t.tv_nsec / 100);
}
}  // namespace

bool ReadFileInfo(const WString& path, TFileInfo& info) {
  struct statx st {};
  const std::string host = text::ToPath(path).string();
  if (statx(AT_FDCWD, host.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) return false;
  if (!S_ISREG(st.stx_mode)) return false;
  const WString name = paths::ExtractFileName(path);
  info.Attributes = kFileAttributeArchive | kFileAttributeUnixExtension | (uint32_t(st.stx_mode & 0xFFFF) << 16);
  if (!name.empty() && name[0] == u'.') info.Attributes |= kFileAttributeHidden;
  if ((st.stx_mode & 0222) == 0) info.Attributes |= kFileAttributeReadOnly;
  info.LastWriteTime = ToFileTime(st.stx_mtime);
  info.LastAccessTime = ToFileTime(st.stx_atime);
  info.CreationTime = (st.stx_mask & STATX_BTIME) ? ToFileTime(st.stx_btime) : info.LastWriteTime;
  info.Size = static_cast<int64_t>(st.stx_size);
  return true;
}

}  // namespace archive
#endif
