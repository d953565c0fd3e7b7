// The elevation port: the process token's TokenElevation (advapi32).
#include <windows.h>

#include "platform/Elevation.h"
#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"

namespace win32 {

namespace {

class Win32Elevation final : public ports::IElevation {
 public:
  bool GetTokenElevation(bool* elevated) override {
    if (!elevated) {
      ::SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    UniqueKernelHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) {
      const DWORD error = ::GetLastError();
      owned.Close();
      ::SetLastError(error);
      return false;
    }
    *elevated = elevation.TokenIsElevated != 0;
    return true;
  }
};

}  // namespace

std::unique_ptr<ports::IElevation> MakeElevation() { return std::make_unique<Win32Elevation>(); }

}  // namespace win32
