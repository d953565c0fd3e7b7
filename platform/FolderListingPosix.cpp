// ListFolder on POSIX systems: std::filesystem's directory listing.
#ifndef _WIN32
#include <filesystem>
#include <system_error>

#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FolderListing.h"
#include "platform/HostPath.h"

namespace paths {
namespace {

[[noreturn]] void RaiseListError(const WString& folder, const std::error_code& ec) {
  throw QuillonError(u"Cannot list the folder \"" + folder + u"\": " + FileErrorText(ec));
}

// What `path` is, a link followed to its target.
FolderEntry Classify(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  const WString name = text::FromPath(path.filename());
  std::error_code linkError, targetError;
  const bool isLink = fs::is_symlink(fs::symlink_status(path, linkError));
  const fs::file_status target = fs::status(path, targetError);
  switch (target.type()) {
    case fs::file_type::directory:
      return {name, isLink ? FolderEntry::Kind::FolderLink : FolderEntry::Kind::Folder, {}, isLink};
    case fs::file_type::regular:
      return {name, FolderEntry::Kind::File, {}, isLink};
    case fs::file_type::not_found:
      if (isLink) return {name, FolderEntry::Kind::BrokenLink, {}, true};
      break;
    case fs::file_type::block:
    case fs::file_type::character:
      return {name, FolderEntry::Kind::Unreadable, u"a device, not a file"};
    case fs::file_type::fifo:
      return {name, FolderEntry::Kind::Unreadable, u"a pipe, not a file"};
    case fs::file_type::socket:
      return {name, FolderEntry::Kind::Unreadable, u"a socket, not a file"};
    default:
      break;
  }
  const std::error_code& ec = targetError ? targetError : linkError;
  return {name, FolderEntry::Kind::Unreadable,
          u"an entry whose type cannot be read" + (ec ? u" (" + FileErrorText(ec) + u")" : WString())};
}

}  // namespace

std::vector<FolderEntry> ListFolder(const WString& folder) {
  namespace fs = std::filesystem;
  std::vector<FolderEntry> entries;
  std::error_code ec;
  fs::directory_iterator it(HostPath(folder), ec);
  if (ec) RaiseListError(folder, ec);
  for (; it != fs::directory_iterator(); it.increment(ec))
    entries.push_back(Classify(it->path()));
  if (ec) RaiseListError(folder, ec);
  return entries;
}

WString RealLocation(const WString& path) {
  std::error_code ec;
  const std::filesystem::path real = std::filesystem::canonical(HostPath(path), ec);
  return ec ? WString() : text::FromPath(real);
}

void RemoveFolderTree(const WString& folder, std::error_code& ec) {
  std::filesystem::remove_all(HostPath(folder), ec);
}

}  // namespace paths
#endif
