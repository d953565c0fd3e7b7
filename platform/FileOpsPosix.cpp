// FileOps elsewhere: std::filesystem has no length limit to work around.
#ifndef _WIN32
#include <filesystem>

#include "platform/FileOps.h"
#include "platform/HostPath.h"

namespace paths {

namespace fs = std::filesystem;

bool IsFolder(const WString& path) {
  std::error_code ec;
  return fs::is_directory(HostPath(path), ec);
}

bool IsFile(const WString& path) {
  std::error_code ec;
  return fs::is_regular_file(HostPath(path), ec);
}

void CreateFolders(const WString& folder, std::error_code& ec) {
  ec.clear();
  fs::create_directories(HostPath(folder), ec);
}

void CopyFileOver(const WString& from, const WString& to, std::error_code& ec) {
  fs::copy_file(HostPath(from), HostPath(to), fs::copy_options::overwrite_existing, ec);
}

void RemoveFile(const WString& path, std::error_code& ec) { fs::remove(HostPath(path), ec); }

uint64_t FileSize(const WString& path, std::error_code& ec) {
  const uintmax_t size = fs::file_size(HostPath(path), ec);
  return ec ? 0 : uint64_t(size);
}

}  // namespace paths
#endif
