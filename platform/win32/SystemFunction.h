// Entry points of system DLLs looked up at run time: functions that older
// systems (and Wine) lack must not be imported, or the exe aborts when it calls them.
#pragma once
#include <windows.h>

namespace win32 {

// The system DLL, loaded already (an import) or loaded now. Never freed: the
// functions bound from it stay valid for the life of the process.
inline HMODULE SystemModule(const wchar_t* name) {
  if (HMODULE loaded = ::GetModuleHandleW(name)) return loaded;
  return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The export `name` of `module` as a function of type Fn; null when it is missing.
template <typename Fn>
Fn BindFunction(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Through void(*)(): the one function type every other one may be cast from.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace win32
