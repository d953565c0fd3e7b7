// The Windows half of ReadFileInfo: GetFileAttributesExW.
#ifdef _WIN32
#include <windows.h>

#include "archive/FileInfo.h"
#include "platform/HostPath.h"

namespace archive {

bool ReadFileInfo(const WString& path, TFileInfo& info) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(paths::HostPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  auto toFileTime = [](const FILETIME& t) { return winapi::FileTime{t.dwLowDateTime, t.dwHighDateTime}; };
  info.Attributes = data.dwFileAttributes;
  info.CreationTime = toFileTime(data.ftCreationTime);
  info.LastAccessTime = toFileTime(data.ftLastAccessTime);
  info.LastWriteTime = toFileTime(data.ftLastWriteTime);
  info.Size = static_cast<int64_t>((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  return true;
}

}  // namespace archive
#endif
