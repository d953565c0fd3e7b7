#include "archive/FileStream.h"

#include <cerrno>

#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/HostPath.h"

#ifdef _WIN32
#include <io.h>
#define QUILLON_FSEEK _fseeki64
#define QUILLON_FTELL _ftelli64
#else
#include <unistd.h>
#define QUILLON_FSEEK fseeko
#define QUILLON_FTELL ftello
#endif

namespace archive {

namespace {
constexpr size_t kBufferSize = 1 << 16;

std::FILE* OpenFile(const WString& path, TFileStream::Mode mode) {
  const bool create = mode == TFileStream::Mode::Create;
#ifdef _WIN32
  // _wfopen shares the file with every other reader and writer; the "\\?\" form
  // opens files below folders deeper than MAX_PATH.
  return _wfopen(paths::HostPath(path).c_str(), create ? L"w+b" : L"rb");
#else
  return std::fopen(text::ToPath(path).c_str(), create ? "w+b" : "rb");
#endif
}
}  // namespace

TFileStream::TFileStream(const WString& path, Mode mode) : path_(path), mode_(mode), file_(OpenFile(path, mode)) {
  if (!file_) {
    const int err = errno;
    throw QuillonError(text::W(mode == Mode::Create ? "Cannot create \"" : "Cannot open \"") + path + u"\": " +
                       FileErrorText(err));
  }
  std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

void TFileStream::Fail(const char* what) {
  const int err = errno;
  throw QuillonError(text::W(what) + text::W(" \"") + path_ + u"\": " + FileErrorText(err));
}

const char* TFileStream::AccessVerb() const { return mode_ == Mode::Create ? "Cannot write" : "Cannot read"; }

void TFileStream::RequireOpen() const {
  if (!file_) throw QuillonError(text::W("The file \"") + path_ + text::W("\" is already closed"));
}

size_t TFileStream::Read(void* data, size_t size) {
  RequireOpen();
  const size_t n = std::fread(data, 1, size, file_);
  if (n < size && std::ferror(file_)) Fail("Cannot read");
  return n;
}

void TFileStream::Write(const void* data, size_t size) {
  RequireOpen();
  if (size && std::fwrite(data, 1, size, file_) != size) Fail("Cannot write");
}

uint64_t TFileStream::Seek(int64_t offset, int origin) {
  RequireOpen();
  static constexpr int kOrigins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (origin < 0 || origin > 2) throw QuillonError(text::W("Invalid seek origin"));
  if (QUILLON_FSEEK(file_, offset, kOrigins[origin]) != 0) Fail(AccessVerb());
  return Position();
}

uint64_t TFileStream::Position() {
  RequireOpen();
  const auto pos = QUILLON_FTELL(file_);
  if (pos < 0) Fail(AccessVerb());
  return static_cast<uint64_t>(pos);
}

uint64_t TFileStream::Size() {
  RequireOpen();
  const auto here = QUILLON_FTELL(file_);
  if (here < 0 || QUILLON_FSEEK(file_, 0, SEEK_END) != 0) Fail(AccessVerb());
  const auto end = QUILLON_FTELL(file_);
  if (end < 0 || QUILLON_FSEEK(file_, here, SEEK_SET) != 0) Fail(AccessVerb());
  return static_cast<uint64_t>(end);
}

void TFileStream::SetSize(uint64_t size) {
  RequireOpen();
  if (std::fflush(file_) != 0) Fail("Cannot write");
#ifdef _WIN32
  if (_chsize_s(_fileno(file_), static_cast<long long>(size)) != 0) Fail("Cannot write");
#else
  if (ftruncate(fileno(file_), static_cast<off_t>(size)) != 0) Fail("Cannot write");
#endif
}

void TFileStream::Close() {
  if (!file_) return;
  const bool failed = std::ferror(file_) || std::fflush(file_) != 0;
  const int err = errno;
  const bool closeFailed = std::fclose(file_) != 0;
  file_ = nullptr;
  if (failed || closeFailed) {
    errno = err;
    Fail("Cannot write");
  }
}

}  // namespace archive
