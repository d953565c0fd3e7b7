// The POSIX half of MakePlainFolder: lstat sees a link as a link.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "archive/NewFile.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"

namespace archive {
namespace {

[[noreturn]] void Fail(const char* what, const std::filesystem::path& path, int err) {
  throw QuillonError(text::W(what) + u" \"" + text::FromPath(path) + u"\": " + FileErrorText(err));
}

}  // namespace

void MakePlainFolder(const std::filesystem::path& folder) {
  struct stat st;
  if (::lstat(folder.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return;
    throw QuillonError(u"Cannot extract into \"" + text::FromPath(folder) + u"\": " +
                       (S_ISLNK(st.st_mode) ? u"it is a link" : u"it is a file, not a folder"));
  }
  if (errno != ENOENT) Fail("Cannot read", folder, errno);
  if (::mkdir(folder.c_str(), 0755) != 0) Fail("Cannot create", folder, errno);
}

}  // namespace archive
#endif
