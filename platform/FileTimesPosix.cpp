// CopyLastWriteTime on POSIX systems: std::filesystem, nanoseconds kept.
#ifndef _WIN32
#include <filesystem>

#include "platform/FileTimes.h"
#include "platform/HostPath.h"

namespace paths {

void CopyLastWriteTime(const WString& from, const WString& to, std::error_code& ec) {
  const std::filesystem::file_time_type time = std::filesystem::last_write_time(HostPath(from), ec);
  if (!ec) std::filesystem::last_write_time(HostPath(to), time, ec);
}

}  // namespace paths
#endif
