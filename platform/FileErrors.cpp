#include "platform/FileErrors.h"

#include <cerrno>

#include "platform/Platform.h"
#include "platform/SystemMessage.h"

namespace {

// The Windows error code the C runtime itself maps to each errno value.
uint32_t WindowsCodeOfErrno(int err) {
  switch (err) {
    case ENOENT: return 2;         // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;        // ERROR_PATH_NOT_FOUND
    case EMFILE:
    case ENFILE: return 4;         // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
    case EISDIR: return 5;         // ERROR_ACCESS_DENIED
    case ENOMEM: return 8;         // ERROR_NOT_ENOUGH_MEMORY
    case EXDEV: return 17;         // ERROR_NOT_SAME_DEVICE
    case EROFS: return 19;         // ERROR_WRITE_PROTECT
    case EBUSY: return 32;         // ERROR_SHARING_VIOLATION
    case EEXIST: return 80;        // ERROR_FILE_EXISTS
    case EINVAL: return 87;        // ERROR_INVALID_PARAMETER
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return 112;                  // ERROR_DISK_FULL
    case ENOTEMPTY: return 145;    // ERROR_DIR_NOT_EMPTY
    case ENAMETOOLONG: return 206; // ERROR_FILENAME_EXCED_RANGE
    case EIO: return 1117;         // ERROR_IO_DEVICE
#ifdef ELOOP
    case ELOOP: return 1921;       // ERROR_CANT_RESOLVE_FILENAME
#endif
    default: return 0;
  }
}

// File helpers also run without a platform (tests): the C library's text then.
WString SystemText(uint32_t code) { return code && InstalledPlatform() ? SystemMessageTrimmed(code) : WString(); }

}  // namespace

WString FileErrorText(const std::error_code& ec) {
  uint32_t code = 0;
#ifdef _WIN32
  // The file system library reports Windows' own codes in the system category.
  code = ec.category() == std::system_category() ? uint32_t(ec.value()) : WindowsCodeOfErrno(ec.value());
#else
  code = WindowsCodeOfErrno(ec.value());
#endif
  WString text = SystemText(code);
  return text.empty() ? text::FromUtf8(ec.message()) : text;
}

WString FileErrorText(int errnoValue) { return FileErrorText(std::error_code(errnoValue, std::generic_category())); }
