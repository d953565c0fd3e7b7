// The system port forwarded to kernel32, advapi32, version.dll and ntdll.
#include <windows.h>

#include <vector>

#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"

namespace win32 {

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

SYSTEMTIME ToWin(const winapi::SystemTime& s) {
  return {s.wYear, s.wMonth, s.wDayOfWeek, s.wDay, s.wHour, s.wMinute, s.wSecond, s.wMilliseconds};
}

winapi::SystemTime FromWin(const SYSTEMTIME& s) {
  return {s.wYear, s.wMonth, s.wDayOfWeek, s.wDay, s.wHour, s.wMinute, s.wSecond, s.wMilliseconds};
}

FILETIME ToWin(const winapi::FileTime& f) { return {f.dwLowDateTime, f.dwHighDateTime}; }

class Win32System final : public ports::ISystem {
 public:
  uint32_t GetLastError() override { return ::GetLastError(); }
  void SetLastError(uint32_t code) override { ::SetLastError(code); }

  uint32_t FormatMessage(uint32_t code, char16_t* buffer, uint32_t size) override {
    return ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                            Wide(buffer), size, nullptr);
  }

  bool GetComputerNameEx(char16_t* buffer, uint32_t* size) override {
    return ::GetComputerNameExW(ComputerNameNetBIOS, Wide(buffer), reinterpret_cast<DWORD*>(size));
  }

  uint32_t ExpandEnvironmentStrings(const char16_t* src, char16_t* dst, uint32_t size) override {
    return ::ExpandEnvironmentStringsW(Wide(src), Wide(dst), size);
  }

  bool FileTimeToLocalFileTime(const winapi::FileTime& utc, winapi::FileTime* local) override {
    FILETIME in = ToWin(utc), out{};
    if (!local || !::FileTimeToLocalFileTime(&in, &out)) return false;
    *local = {out.dwLowDateTime, out.dwHighDateTime};
    return true;
  }

  bool FileTimeToSystemTime(const winapi::FileTime& ft, winapi::SystemTime* st) override {
    FILETIME in = ToWin(ft);
    SYSTEMTIME out{};
    if (!st || !::FileTimeToSystemTime(&in, &out)) return false;
    *st = FromWin(out);
    return true;
  }

  winapi::SystemTime GetLocalTime() override {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return FromWin(st);
  }

  WString FormatShortDate(const winapi::SystemTime& st) override {
    SYSTEMTIME in = ToWin(st);
    int n = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &in, nullptr, nullptr, 0, nullptr);
    if (n <= 0) return {};
    WString out(size_t(n), u'\0');
    n = ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &in, nullptr, Wide(out.data()), n, nullptr);
    out.resize(n > 0 ? size_t(n - 1) : 0);
    return out;
  }

  int CompareStringLocale(const char16_t* a, const char16_t* b) override { return ::lstrcmpW(Wide(a), Wide(b)); }

  // RtlGetVersion reports the real version; GetVersionEx is capped by the manifest.
  ports::OsVersion GetVersion() override {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                                     reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                               : nullptr;
    if (!rtlGetVersion || rtlGetVersion(&info) != 0) return {};
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
  }

  WString ModuleFileName() override {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
      DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
      if (n == 0) return {};
      if (n < buffer.size()) return WString(reinterpret_cast<const char16_t*>(buffer.data()), n);
      buffer.resize(buffer.size() * 2);  // truncated: grow and retry
    }
  }

  uint32_t GetFileVersionInfoSize(const char16_t* file) override {
    DWORD ignored = 0;
    return ::GetFileVersionInfoSizeW(Wide(file), &ignored);
  }

  bool GetFileVersionInfo(const char16_t* file, uint32_t size, void* data) override {
    return ::GetFileVersionInfoW(Wide(file), 0, size, data);
  }

  bool QueryFixedFileVersion(const void* data, uint32_t* versionMS, uint32_t* versionLS) override {
    void* fixed = nullptr;
    UINT length = 0;
    if (!versionMS || !versionLS || !::VerQueryValueW(data, L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
      return false;
    auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    *versionMS = info->dwFileVersionMS;
    *versionLS = info->dwFileVersionLS;
    return true;
  }

  bool OpenProcessToken(uint32_t desiredAccess, winapi::Handle* token) override {
    HANDLE h = nullptr;
    if (!token || !::OpenProcessToken(::GetCurrentProcess(), desiredAccess, &h)) return false;
    *token = reinterpret_cast<winapi::Handle>(h);
    return true;
  }

  bool LookupPrivilegeValue(const char16_t* name, uint64_t* luid) override {
    LUID value{};
    if (!luid || !::LookupPrivilegeValueW(nullptr, Wide(name), &value)) return false;
    *luid = (uint64_t(uint32_t(value.HighPart)) << 32) | value.LowPart;
    return true;
  }

  bool AdjustTokenPrivileges(winapi::Handle token, uint64_t luid, uint32_t attributes) override {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = DWORD(luid);
    privileges.Privileges[0].Luid.HighPart = LONG(luid >> 32);
    privileges.Privileges[0].Attributes = attributes;
    return ::AdjustTokenPrivileges(reinterpret_cast<HANDLE>(token), FALSE, &privileges, 0, nullptr, nullptr);
  }

  bool CloseHandle(winapi::Handle h) override { return ::CloseHandle(reinterpret_cast<HANDLE>(h)); }
};

}  // namespace

std::unique_ptr<ports::ISystem> MakeSystem() { return std::make_unique<Win32System>(); }

}  // namespace win32
