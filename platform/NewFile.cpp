#include "platform/NewFile.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <system_error>

#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/HostPath.h"
#include "platform/Paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace paths {
namespace {

constexpr int kMaxNumber = 100000;

[[noreturn]] void Fail(const char* what, const WString& path, const std::error_code& ec) {
  throw QuillonError(text::W(what) + u" \"" + path + u"\": " + FileErrorText(ec));
}

std::error_code LastError() {
#ifdef _WIN32
  return std::error_code(int(::GetLastError()), std::system_category());
#else
  return std::error_code(errno, std::generic_category());
#endif
}

}  // namespace

std::optional<CreatedFile> CreatedFile::Create(const WString& path) {
#ifdef _WIN32
  const std::wstring host = HostPath(path).wstring();
  HANDLE file = ::CreateFileW(host.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file != INVALID_HANDLE_VALUE) return CreatedFile(path, reinterpret_cast<intptr_t>(file));
  const std::error_code ec = LastError();
  // A folder at the name answers "access denied": anything there takes the name.
  if (ec.value() == ERROR_FILE_EXISTS || ec.value() == ERROR_ALREADY_EXISTS ||
      ::GetFileAttributesW(host.c_str()) != INVALID_FILE_ATTRIBUTES)
    return std::nullopt;
#else
  const int fd = ::open(HostPath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd >= 0) return CreatedFile(path, fd);
  const std::error_code ec = LastError();
  if (ec.value() == EEXIST) return std::nullopt;
#endif
  Fail("Cannot create", path, ec);
}

CreatedFile::CreatedFile(CreatedFile&& other) noexcept
    : path_(std::move(other.path_)), handle_(other.handle_), open_(other.open_) {
  other.open_ = false;
}

CreatedFile::~CreatedFile() {
  if (!open_) return;
#ifdef _WIN32
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
#else
  ::close(int(handle_));
#endif
}

void CreatedFile::Write(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
#ifdef _WIN32
    const DWORD chunk = DWORD(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(reinterpret_cast<HANDLE>(handle_), p, chunk, &written, nullptr) || written == 0)
      Fail("Cannot write", path_, LastError());
#else
    const ssize_t written = ::write(int(handle_), p, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) Fail("Cannot write", path_, written < 0 ? LastError() : std::make_error_code(std::errc::no_space_on_device));
#endif
    p += written;
    size -= size_t(written);
  }
}

void CreatedFile::Close() {
  if (!open_) return;
  open_ = false;
#ifdef _WIN32
  if (!::CloseHandle(reinterpret_cast<HANDLE>(handle_))) Fail("Cannot write", path_, LastError());
#else
  if (::close(int(handle_)) != 0) Fail("Cannot write", path_, LastError());
#endif
}

WString CreateNewFile(const WString& folder, const WString& base, const WString& extension) {
  for (int n = 1; n <= kMaxNumber; ++n) {
    const WString name = n == 1 ? base + extension : base + u" (" + text::FromInt(n) + u")" + extension;
    if (std::optional<CreatedFile> file = CreatedFile::Create(Join(folder, name))) {
      file->Close();
      return file->Path();
    }
  }
  throw QuillonError(u"Cannot create \"" + Join(folder, base + extension) + u"\": every numbered name is taken");
}

WString WriteNewFile(const WString& folder, const WString& base, const WString& extension,
                     const std::function<void(std::ostream&)>& write) {
  const WString created = CreateNewFile(folder, base, extension);
  const std::filesystem::path file = HostPath(created);
  auto fail = [&](const WString& cause) {
    std::error_code ec;
    RemoveFile(created, ec);
    throw QuillonError(created + u": " + cause);
  };
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) fail(u"cannot be opened for writing: " + FileErrorText(errno));
  try {
    write(out);
  } catch (...) {
    out.close();  // Windows deletes no file that is still open
    std::error_code ec;
    RemoveFile(created, ec);
    throw;
  }
  out.close();
  if (!out) fail(u"cannot be written: " + FileErrorText(errno));
  return created;
}

}  // namespace paths
