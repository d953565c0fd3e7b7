#include "platform/NewFile.h"

#include <system_error>

#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/HostPath.h"
#include "platform/Paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace paths {
namespace {

constexpr int kMaxNumber = 100000;

enum class Outcome { Created, Taken, Failed };

// Creates `path` new; Taken when any entry holds the name.
Outcome CreateNew(const WString& path, std::error_code& ec) {
#ifdef _WIN32
  const std::wstring host = HostPath(path).wstring();
  HANDLE file = ::CreateFileW(host.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
    return Outcome::Created;
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
      ::GetFileAttributesW(host.c_str()) != INVALID_FILE_ATTRIBUTES)
    return Outcome::Taken;
  ec.assign(int(error), std::system_category());
#else
  const int fd = ::open(HostPath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd >= 0) {
    ::close(fd);
    return Outcome::Created;
  }
  if (errno == EEXIST) return Outcome::Taken;
  ec.assign(errno, std::generic_category());
#endif
  return Outcome::Failed;
}

}  // namespace

WString CreateNewFile(const WString& folder, const WString& base, const WString& extension) {
  for (int n = 1; n <= kMaxNumber; ++n) {
    const WString name = n == 1 ? base + extension : base + u" (" + text::FromInt(n) + u")" + extension;
    const WString path = Join(folder, name);
    std::error_code ec;
    switch (CreateNew(path, ec)) {
      case Outcome::Created:
        return path;
      case Outcome::Taken:
        continue;
      case Outcome::Failed:
        throw QuillonError(u"Cannot create \"" + path + u"\": " + FileErrorText(ec));
    }
  }
  throw QuillonError(u"Cannot create \"" + Join(folder, base + extension) + u"\": every numbered name is taken");
}

}  // namespace paths
