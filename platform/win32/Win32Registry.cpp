// The registry port forwarded to advapi32. The port's HKEY_LOCAL_MACHINE is the
// 32-bit constant; Windows x64 sign-extends it, so it is translated here.
#include <windows.h>

#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"

namespace win32 {

namespace {

HKEY ToHKey(ports::HKey key) { return key == ports::kHKeyLocalMachine ? HKEY_LOCAL_MACHINE : reinterpret_cast<HKEY>(key); }

class Win32Registry final : public ports::IRegistry {
 public:
  int32_t OpenKey(ports::HKey root, const char16_t* subKey, uint32_t access, ports::HKey* result) override {
    if (!result) return ERROR_INVALID_PARAMETER;
    HKEY opened = nullptr;
    LONG rc = ::RegOpenKeyExW(ToHKey(root), Wide(subKey), 0, access, &opened);
    *result = rc == ERROR_SUCCESS ? reinterpret_cast<ports::HKey>(opened) : 0;
    return rc;
  }

  int32_t QueryValue(ports::HKey key, const char16_t* name, uint32_t* type, uint8_t* data, uint32_t* size) override {
    DWORD t = 0;
    LONG rc = ::RegQueryValueExW(ToHKey(key), Wide(name), nullptr, &t, data, reinterpret_cast<DWORD*>(size));
    if (type) *type = t;
    return rc;
  }

  int32_t CloseKey(ports::HKey key) override {
    if (key == ports::kHKeyLocalMachine) return ERROR_SUCCESS;  // predefined keys are never closed
    return ::RegCloseKey(ToHKey(key));
  }
};

}  // namespace

std::unique_ptr<ports::IRegistry> MakeRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace win32
