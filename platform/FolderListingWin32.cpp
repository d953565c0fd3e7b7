// ListFolder on Windows: FindFirstFileExW on "\\?\" paths, so that folders of any
// depth are listed.
#ifdef _WIN32
#include <windows.h>

#include <system_error>

#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FolderListing.h"
#include "platform/HostPath.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"

namespace paths {
namespace {

struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
using FindHandle = UniqueHandle<FindTraits>;

[[noreturn]] void RaiseListError(const WString& folder, DWORD code) {
  const std::error_code ec(int(code), std::system_category());
  throw QuillonError(u"Cannot list the folder \"" + folder + u"\": " + FileErrorText(ec));
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The listing, or false with the system's error code.
bool TryListFolder(const WString& folder, std::vector<FolderEntry>& entries, DWORD& error) {
  const std::wstring pattern = HostPath(Join(folder, u"*")).wstring();
  WIN32_FIND_DATAW found{};
  FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
  if (!find) {
    error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND;  // not even "." (a drive root): empty
  }
  do {
    if (IsDotEntry(found.cFileName)) continue;
    const bool isFolder = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    const bool isLink = found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    const FolderEntry::Kind kind = !isFolder ? FolderEntry::Kind::File
                                   : isLink  ? FolderEntry::Kind::FolderLink
                                             : FolderEntry::Kind::Folder;
    entries.push_back({WString(reinterpret_cast<const char16_t*>(found.cFileName)), kind, {}, isLink});
  } while (::FindNextFileW(find.Get(), &found));
  error = ::GetLastError();
  return error == ERROR_NO_MORE_FILES;
}

}  // namespace

std::vector<FolderEntry> ListFolder(const WString& folder) {
  std::vector<FolderEntry> entries;
  DWORD error = 0;
  if (!TryListFolder(folder, entries, error)) RaiseListError(folder, error);
  return entries;
}

namespace {

bool DeleteOneFile(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  if (::GetLastError() != ERROR_ACCESS_DENIED) return false;
  // A read-only copy (attributes are copied with the file): clear the flag, then retry.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         ::SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)) &&
         ::DeleteFileW(path.c_str());
}

bool RemoveTree(const WString& folder) {
  std::vector<FolderEntry> entries;
  DWORD error = 0;
  if (!TryListFolder(folder, entries, error)) {
    ::SetLastError(error);
    return false;
  }
  for (const FolderEntry& entry : entries) {
    const WString path = Join(folder, entry.name);
    const bool removed = entry.kind == FolderEntry::Kind::Folder       ? RemoveTree(path)
                         : entry.kind == FolderEntry::Kind::FolderLink ? ::RemoveDirectoryW(HostPath(path).c_str())
                                                                       : DeleteOneFile(HostPath(path).wstring());
    if (!removed) return false;
  }
  return ::RemoveDirectoryW(HostPath(folder).c_str());
}

}  // namespace

WString RealLocation(const WString& path) {
  // Opened for no access, only to ask where the handle really is.
  HANDLE file = ::CreateFileW(HostPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::wstring real(32768, L'\0');
  const DWORD length = ::GetFinalPathNameByHandleW(file, real.data(), DWORD(real.size()), FILE_NAME_NORMALIZED);
  ::CloseHandle(file);
  if (length == 0 || length >= real.size()) return {};
  real.resize(length);
  return WString(reinterpret_cast<const char16_t*>(real.c_str()), real.size());
}

void RemoveFolderTree(const WString& folder, std::error_code& ec) {
  ec.clear();
  const std::wstring host = HostPath(folder).wstring();
  const DWORD attributes = ::GetFileAttributesW(host.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) ec.assign(int(error), std::system_category());
    return;
  }
  const bool removed = !(attributes & FILE_ATTRIBUTE_DIRECTORY)        ? DeleteOneFile(host)
                       : (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? ::RemoveDirectoryW(host.c_str())
                                                                       : RemoveTree(folder);
  if (!removed) ec.assign(int(::GetLastError()), std::system_category());
}

}  // namespace paths
#endif
