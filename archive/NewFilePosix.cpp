// The POSIX half of NewFile: O_EXCL with O_NOFOLLOW, lstat for the folders.
#ifndef _WIN32
#include <fcntl.h>
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

NewFile::NewFile(const std::filesystem::path& path) : path_(path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) Fail("Cannot create", path, errno);
  handle_ = fd;
  open_ = true;
}

NewFile::~NewFile() {
  if (!open_) return;
  Close();
  ::unlink(path_.c_str());
}

void NewFile::Write(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(int(handle_), p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("Cannot write", path_, n < 0 ? errno : ENOSPC);
    p += n;
    size -= size_t(n);
  }
}

void NewFile::Close() {
  open_ = false;
  if (::close(int(handle_)) != 0) Fail("Cannot write", path_, errno);
}

void NewFile::Commit() {
  if (open_) Close();
}

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
