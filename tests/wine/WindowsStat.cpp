// Linked into every test program run under Wine: the C runtime's stat refuses a
// path that holds a wildcard character, as msvcrt.dll does on Windows.
//
// The exes link against msvcrt.dll, whose _wstat64 on Windows answers "no such
// file" for any path with '?' or '*' in it -- and so for every "\\?\" path, the
// form that lifts the 260-character limit. std::filesystem's status, exists,
// is_directory, file_size, copy_file and create_directories all ask _wstat64.
// Wine's msvcrt answers for such paths, so a test under Wine would pass where the
// same code fails on every Windows PC. The C++ library calls _wstat64 through its
// import pointer; this program's own pointer comes first at link time and leads
// here, to Windows' rule and then to the real function.
#include <windows.h>

#include <cerrno>
#include <cwchar>
#include <sys/stat.h>

namespace {

using Wstat64 = int(__cdecl*)(const wchar_t*, struct _stat64*);

Wstat64 RealWstat64() {
  static const Wstat64 real =
      reinterpret_cast<Wstat64>(::GetProcAddress(::GetModuleHandleW(L"msvcrt.dll"), "_wstat64"));
  return real;
}

int __cdecl WindowsWstat64(const wchar_t* path, struct _stat64* buffer) {
  if (path && std::wcspbrk(path, L"?*")) {
    errno = ENOENT;
    return -1;
  }
  const Wstat64 real = RealWstat64();
  if (!real) {
    errno = ENOSYS;
    return -1;
  }
  return real(path, buffer);
}

}  // namespace

extern "C" {
// NOLINTNEXTLINE: the name is the import pointer the linker resolves.
Wstat64 __imp__wstat64 = WindowsWstat64;
}
