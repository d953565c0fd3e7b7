// Owners of the Win32 handles the adapters and windows keep (platform/UniqueHandle.h).
#pragma once
#include <windows.h>

#include <string>

#include "platform/UniqueHandle.h"

namespace win32 {

struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool IsValid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { ::RegCloseKey(h); }
};

struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool IsValid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueHKey = UniqueHandle<RegKeyTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;

// The port's UTF-16 text as the W functions' type (both 16-bit on Windows).
inline const wchar_t* Wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* Wide(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline const wchar_t* WideOrNull(const std::u16string& s) { return s.empty() ? nullptr : Wide(s.c_str()); }

}  // namespace win32
