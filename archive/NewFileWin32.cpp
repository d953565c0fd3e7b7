// The Windows half of NewFile: CREATE_NEW, and folders that are no reparse
// points (symbolic links, junctions).
#ifdef _WIN32
#include <windows.h>

#include <system_error>

#include "archive/NewFile.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/HostPath.h"

namespace archive {
namespace {

[[noreturn]] void Fail(const char* what, const std::filesystem::path& path, DWORD code) {
  throw QuillonError(text::W(what) + u" \"" + text::FromPath(path) + u"\": " +
                     FileErrorText(std::error_code(int(code), std::system_category())));
}

std::wstring Host(const std::filesystem::path& p) { return paths::HostPath(text::FromPath(p)).wstring(); }

}  // namespace

NewFile::NewFile(const std::filesystem::path& path) : path_(path) {
  HANDLE h = ::CreateFileW(Host(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) Fail("Cannot create", path, ::GetLastError());
  handle_ = reinterpret_cast<intptr_t>(h);
  open_ = true;
}

NewFile::~NewFile() {
  if (!open_) return;
  open_ = false;
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  ::DeleteFileW(Host(path_).c_str());
}

void NewFile::Write(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = DWORD(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), p, chunk, &written, nullptr) || written == 0)
      Fail("Cannot write", path_, ::GetLastError());
    p += written;
    size -= written;
  }
}

void NewFile::Close() {
  open_ = false;
  if (!::CloseHandle(reinterpret_cast<HANDLE>(handle_))) Fail("Cannot write", path_, ::GetLastError());
}

void NewFile::Commit() {
  if (open_) Close();
}

void MakePlainFolder(const std::filesystem::path& folder) {
  const DWORD attributes = ::GetFileAttributesW(Host(folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    throw QuillonError(u"Cannot extract into \"" + text::FromPath(folder) + u"\": " +
                       ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? u"it is a link or a junction"
                                                                    : u"it is a file, not a folder"));
  }
  const DWORD error = ::GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) Fail("Cannot read", folder, error);
  if (!::CreateDirectoryW(Host(folder).c_str(), nullptr)) Fail("Cannot create", folder, ::GetLastError());
}

}  // namespace archive
#endif
