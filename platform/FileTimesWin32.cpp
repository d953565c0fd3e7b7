// CopyLastWriteTime on Windows: GetFileTime and SetFileTime on "\\?\" paths, so
// that files below folders of any depth keep their times (the C runtime's
// time functions stop at MAX_PATH).
#ifdef _WIN32
#include <windows.h>

#include "platform/FileTimes.h"
#include "platform/HostPath.h"
#include "platform/win32/Handles.h"

namespace paths {

namespace {

win32::UniqueKernelHandle OpenForTimes(const WString& path, DWORD access) {
  return win32::UniqueKernelHandle(::CreateFileW(HostPath(path).c_str(), access,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

void CopyLastWriteTime(const WString& from, const WString& to, std::error_code& ec) {
  ec.clear();
  FILETIME written{};
  const win32::UniqueKernelHandle source = OpenForTimes(from, FILE_READ_ATTRIBUTES);
  if (!source || !::GetFileTime(source.Get(), nullptr, nullptr, &written)) {
    ec.assign(int(::GetLastError()), std::system_category());
    return;
  }
  const win32::UniqueKernelHandle target = OpenForTimes(to, FILE_WRITE_ATTRIBUTES);
  if (!target || !::SetFileTime(target.Get(), nullptr, nullptr, &written))
    ec.assign(int(::GetLastError()), std::system_category());
}

}  // namespace paths
#endif
