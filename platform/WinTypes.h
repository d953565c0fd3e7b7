// Windows types and constants that portable code needs, with the values Windows
// gives them. Portable code includes this instead of <windows.h>; the names are
// spelt differently from the Windows macros so that adapters can include both.
#pragma once
#include <cstdint>
#include <cstring>

namespace winapi {

struct Guid {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  uint8_t Data4[8] = {};
  friend bool operator==(const Guid& a, const Guid& b) { return std::memcmp(&a, &b, sizeof(Guid)) == 0; }
};
static_assert(sizeof(Guid) == 16);

// 100-nanosecond intervals since 1601-01-01 UTC.
struct FileTime {
  uint32_t dwLowDateTime = 0;
  uint32_t dwHighDateTime = 0;
  uint64_t Value() const { return (uint64_t(dwHighDateTime) << 32) | dwLowDateTime; }
  static FileTime From(uint64_t v) { return {uint32_t(v), uint32_t(v >> 32)}; }
  friend bool operator==(const FileTime& a, const FileTime& b) { return a.Value() == b.Value(); }
};
static_assert(sizeof(FileTime) == 8);

struct SystemTime {
  uint16_t wYear = 0, wMonth = 0, wDayOfWeek = 0, wDay = 0;
  uint16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};

// Handles crossing a port are opaque integers; 0 and kInvalidHandle mean none.
using Handle = std::uintptr_t;
constexpr Handle kInvalidHandle = ~Handle(0);  // INVALID_HANDLE_VALUE

// Error codes with this bit set are the program's own (the "customer" bit: no
// system call sets it). A port gives one for a read it refused, with a message
// text of its own that says why.
constexpr uint32_t kApplicationErrorBit = 0x20000000;

// MAX_PATH: the length of the path buffers the Windows calls fill.
constexpr uint32_t kMaxPath = 260;

// Win32 error codes (GetLastError, registry LONG results).
constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorCallNotImplemented = 120;
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorInvalidName = 123;
constexpr uint32_t kErrorProcNotFound = 127;
constexpr uint32_t kErrorBadPathname = 161;
constexpr uint32_t kErrorMoreData = 234;
constexpr uint32_t kErrorNoMoreItems = 259;
constexpr uint32_t kErrorNotAllAssigned = 1300;
constexpr uint32_t kErrorNoSuchPrivilege = 1313;

// Registry value types.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegDwordBigEndian = 5;
constexpr uint32_t kRegLink = 6;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegResourceList = 8;
constexpr uint32_t kRegQword = 11;

// HRESULTs used across the ports.
constexpr int32_t kSOk = 0;
constexpr int32_t kSFalse = 1;
constexpr int32_t kEAbort = int32_t(0x80004004);
constexpr int32_t kEFail = int32_t(0x80004005);
constexpr int32_t kENotImpl = int32_t(0x80004001);
constexpr int32_t kENoInterface = int32_t(0x80004002);
constexpr int32_t kEOutOfMemory = int32_t(0x8007000E);
constexpr int32_t kEInvalidArg = int32_t(0x80070057);

}  // namespace winapi
