// FileOps on Windows: the file APIs, on "\\?\" paths where the plain form is too long.
#ifdef _WIN32
#include <windows.h>

#include "platform/FileOps.h"
#include "platform/HostPath.h"
#include "platform/Paths.h"
#include "platform/win32/Handles.h"

namespace paths {

namespace {

std::error_code LastError() { return {int(::GetLastError()), std::system_category()}; }

bool IsMissing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

bool IsFolder(const WString& path) {
  const DWORD attributes = ::GetFileAttributesW(HostPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const WString& path) {
  const DWORD attributes = ::GetFileAttributesW(HostPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateFolders(const WString& folder, std::error_code& ec) {
  ec.clear();
  const WString path = ExcludeTrailingPathDelimiter(folder);
  if (path.empty() || IsFolder(path)) return;
  const WString parent = ExcludeTrailingPathDelimiter(ExtractFilePath(path));
  if (!parent.empty() && parent != path) {
    CreateFolders(parent, ec);
    if (ec) return;
  }
  if (::CreateDirectoryW(HostPath(path).c_str(), nullptr)) return;
  const std::error_code error = LastError();
  if (!(error.value() == ERROR_ALREADY_EXISTS && IsFolder(path))) ec = error;
}

void CopyFileOver(const WString& from, const WString& to, std::error_code& ec) {
  ec.clear();
  if (!::CopyFileW(HostPath(from).c_str(), HostPath(to).c_str(), FALSE)) ec = LastError();
}

void RemoveFile(const WString& path, std::error_code& ec) {
  ec.clear();
  if (::DeleteFileW(HostPath(path).c_str())) return;
  const std::error_code error = LastError();
  if (!IsMissing(DWORD(error.value()))) ec = error;
}

uint64_t FileSize(const WString& path, std::error_code& ec) {
  ec.clear();
  const std::wstring host = HostPath(path).wstring();
  const DWORD attributes = ::GetFileAttributesW(host.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ec = std::make_error_code(std::errc::is_a_directory);
    return 0;
  }
  // Opened for its attributes only: a link leads to its file, whose size counts.
  const win32::UniqueKernelHandle file(::CreateFileW(host.c_str(), FILE_READ_ATTRIBUTES,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                     OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.Get(), &size)) {
    ec = LastError();
    return 0;
  }
  return uint64_t(size.QuadPart);
}

}  // namespace paths
#endif
