// Library-loading port: LoadLibraryW / GetProcAddress / FreeLibrary (dlopen on Linux).
#pragma once
#include "platform/Text.h"

namespace ports {

class ILibraryLoader {
 public:
  virtual ~ILibraryLoader() = default;
  // 0 on failure, with the last error set.
  virtual winapi::Handle LoadLibrary(const WString& path) = 0;
  virtual void* GetProcAddress(winapi::Handle module, const char* name) = 0;
  virtual bool FreeLibrary(winapi::Handle module) = 0;
};

}  // namespace ports
