// WalkFiles on POSIX systems: std::filesystem's recursive directory walk.
#ifndef _WIN32
#include <filesystem>
#include <system_error>

#include "devices/FolderWalk.h"
#include "devices/HostPath.h"
#include "platform/Errors.h"

namespace devices {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void RaiseListError(const WString& folder, const std::error_code& ec) {
  throw QuillonError(u"Cannot list \"" + folder + u"\": " + text::FromUtf8(ec.message()));
}

// The walk builds each entry as root + name, so the root's text is its prefix.
WString RelativeText(const fs::path& entry, const WString& rootText) {
  WString relative = text::FromPath(entry);
  if (relative.compare(0, rootText.size(), rootText) == 0) relative.erase(0, rootText.size());
  const size_t start = relative.find_first_not_of(u'/');
  relative.erase(0, start == WString::npos ? relative.size() : start);
  return relative;
}

}  // namespace

void WalkFiles(const WString& folder, const FileVisitor& onFile) {
  const fs::path root = HostPath(folder);
  const WString rootText = text::FromPath(root);
  std::error_code ec;
  fs::recursive_directory_iterator it(root, ec), end;
  if (ec) RaiseListError(folder, ec);
  for (; it != end; it.increment(ec)) {
    if (ec) RaiseListError(folder, ec);
    if (it->is_directory(ec)) continue;
    onFile(RelativeText(it->path(), rootText), text::FromPath(it->path().filename()));
  }
  if (ec) RaiseListError(folder, ec);
}

}  // namespace devices
#endif
