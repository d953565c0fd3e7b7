// ListFolder on POSIX systems: std::filesystem's directory listing.
#ifndef _WIN32
#include <filesystem>
#include <system_error>

#include "platform/Errors.h"
#include "platform/FolderListing.h"
#include "platform/HostPath.h"

namespace paths {
namespace {

[[noreturn]] void RaiseListError(const WString& folder, const std::error_code& ec) {
  throw QuillonError(u"Cannot list the folder \"" + folder + u"\": " + text::FromUtf8(ec.message()));
}

}  // namespace

std::vector<FolderEntry> ListFolder(const WString& folder) {
  namespace fs = std::filesystem;
  std::vector<FolderEntry> entries;
  std::error_code ec;
  fs::directory_iterator it(HostPath(folder), ec);
  if (ec) RaiseListError(folder, ec);
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    const WString name = text::FromPath(entry.path().filename());
    if (entry.is_directory(ec))
      entries.push_back({name, entry.is_symlink(ec) ? FolderEntry::Kind::FolderLink : FolderEntry::Kind::Folder});
    else if (entry.is_regular_file(ec))
      entries.push_back({name, FolderEntry::Kind::File});
  }
  if (ec) RaiseListError(folder, ec);
  return entries;
}

void RemoveFolderTree(const WString& folder, std::error_code& ec) {
  std::filesystem::remove_all(HostPath(folder), ec);
}

}  // namespace paths
#endif
