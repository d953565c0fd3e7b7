// System port: last error, message texts, names, clock and time conversion,
// environment, version information and the access-token calls.
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace ports {

struct OsVersion {
  uint32_t major = 0, minor = 0, build = 0;
};

class ISystem {
 public:
  virtual ~ISystem() = default;

  virtual uint32_t GetLastError() = 0;
  virtual void SetLastError(uint32_t code) = 0;
  // FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | IGNORE_INSERTS, code, language 0) into
  // `buffer` of `size` characters; returns the characters written (0: no text). The
  // text is as the message table gives it, trailing CR LF included.
  virtual uint32_t FormatMessage(uint32_t code, char16_t* buffer, uint32_t size) = 0;

  // GetComputerNameExW(ComputerNameNetBIOS): with buffer null or too small, false with
  // ERROR_MORE_DATA and *size = characters needed including the NUL.
  virtual bool GetComputerNameEx(char16_t* buffer, uint32_t* size) = 0;
  // ExpandEnvironmentStringsW: returns characters needed including the NUL (0 on failure).
  virtual uint32_t ExpandEnvironmentStrings(const char16_t* src, char16_t* dst, uint32_t size) = 0;
  virtual bool FileTimeToLocalFileTime(const winapi::FileTime& utc, winapi::FileTime* local) = 0;
  virtual bool FileTimeToSystemTime(const winapi::FileTime& ft, winapi::SystemTime* st) = 0;
  virtual winapi::SystemTime GetLocalTime() = 0;
  // The user's short date format applied to a date ("dd/MM/yyyy"-style pictures).
  virtual WString FormatShortDate(const winapi::SystemTime& st) = 0;
  // lstrcmpW: locale-aware, case-sensitive; <0, 0, >0.
  virtual int CompareStringLocale(const char16_t* a, const char16_t* b) = 0;
  virtual OsVersion GetVersion() = 0;
  // Full path of the program's own executable (host path).
  virtual WString ModuleFileName() = 0;

  // Version resources (version.dll). Size 0 means no resource.
  virtual uint32_t GetFileVersionInfoSize(const char16_t* file) = 0;
  virtual bool GetFileVersionInfo(const char16_t* file, uint32_t size, void* data) = 0;
  // VerQueryValueW(data, "\\") for the fixed record: the two 32-bit file-version words.
  virtual bool QueryFixedFileVersion(const void* data, uint32_t* versionMS, uint32_t* versionLS) = 0;

  // Access tokens (advapi32).
  virtual bool OpenProcessToken(uint32_t desiredAccess, winapi::Handle* token) = 0;
  virtual bool LookupPrivilegeValue(const char16_t* name, uint64_t* luid) = 0;
  virtual bool AdjustTokenPrivileges(winapi::Handle token, uint64_t luid, uint32_t attributes) = 0;
  virtual bool CloseHandle(winapi::Handle h) = 0;
};

}  // namespace ports
