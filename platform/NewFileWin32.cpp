// CreateNewFile on Windows: CreateFileW(CREATE_NEW) on the "\\?\" path.
#ifdef _WIN32
#include <windows.h>

#include "platform/HostPath.h"
#include "platform/NewFile.h"
#include "platform/win32/Handles.h"

namespace paths {

bool CreateNewFile(const std::filesystem::path& file, std::error_code& ec) {
  win32::UniqueKernelHandle handle(::CreateFileW(HostPath(text::FromPath(file)).c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                                 nullptr));
  if (!handle) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
      ec = std::make_error_code(std::errc::file_exists);
    else
      ec.assign(int(error), std::system_category());
    return false;
  }
  ec.clear();
  return true;
}

}  // namespace paths
#endif
