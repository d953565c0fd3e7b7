// WalkFiles on Windows: FindFirstFileExW on "\\?\" paths, so that folders of any
// depth are listed.
#ifdef _WIN32
#include <windows.h>

#include <system_error>

#include "devices/FolderWalk.h"
#include "devices/HostPath.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

namespace devices {
namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

[[noreturn]] void RaiseListError(const WString& folder, DWORD code) {
  const std::error_code ec(int(code), std::system_category());
  throw QuillonError(u"Cannot list \"" + folder + u"\": " + text::FromUtf8(ec.message()));
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

void Walk(const WString& folder, const WString& prefix, const FileVisitor& onFile) {
  const WString pattern = text::FromPath(HostPath(paths::Join(folder, u"*")));
  WIN32_FIND_DATAW entry{};
  FindHandle find(::FindFirstFileExW(reinterpret_cast<const wchar_t*>(pattern.c_str()), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, 0));
  if (find.Get() == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return;  // nothing at all, not even "." (a drive root)
    RaiseListError(folder, error);
  }
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    const WString name(reinterpret_cast<const char16_t*>(entry.cFileName));
    const WString relative = prefix.empty() ? name : prefix + paths::kPathDelim + name;
    const bool isFolder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    // Linked folders are not followed, as std::filesystem's walk does not follow them.
    if (isFolder && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      Walk(paths::Join(folder, name), relative, onFile);
    else if (!isFolder)
      onFile(relative, name);
  } while (::FindNextFileW(find.Get(), &entry));
  if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES) RaiseListError(folder, error);
}

}  // namespace

void WalkFiles(const WString& folder, const FileVisitor& onFile) { Walk(folder, {}, onFile); }

}  // namespace devices
#endif
