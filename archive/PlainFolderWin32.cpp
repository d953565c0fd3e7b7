// The Windows half of MakePlainFolder: a folder must be no reparse point
// (symbolic link, junction).
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
