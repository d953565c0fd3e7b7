// CreateNewFile on POSIX systems: open(O_CREAT | O_EXCL), which also refuses a
// dangling link in the file's place.
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/NewFile.h"

namespace paths {

bool CreateNewFile(const std::filesystem::path& file, std::error_code& ec) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    ec.assign(errno, std::generic_category());
    return false;
  }
  ::close(fd);
  ec.clear();
  return true;
}

}  // namespace paths
#endif
