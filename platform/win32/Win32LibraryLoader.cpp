// The library port forwarded to kernel32.
#include <windows.h>

#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"

namespace win32 {

namespace {

class Win32LibraryLoader final : public ports::ILibraryLoader {
 public:
  winapi::Handle LoadLibrary(const WString& path) override {
    return reinterpret_cast<winapi::Handle>(::LoadLibraryW(Wide(path.c_str())));
  }
  void* GetProcAddress(winapi::Handle module, const char* name) override {
    return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(module), name));
  }
  bool FreeLibrary(winapi::Handle module) override { return ::FreeLibrary(reinterpret_cast<HMODULE>(module)); }
};

}  // namespace

std::unique_ptr<ports::ILibraryLoader> MakeLibraryLoader() { return std::make_unique<Win32LibraryLoader>(); }

}  // namespace win32
