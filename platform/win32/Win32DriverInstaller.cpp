// The driver-installation port forwarded to setupapi and newdev. newdev's entry
// points are looked up at run time: the cross-compiler's import library lacks
// DiInstallDriverW, and a missing import would stop the exe from starting.
#include <windows.h>
#include <setupapi.h>

#include "platform/DriverInstaller.h"
#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"
#include "platform/win32/SystemFunction.h"

namespace win32 {

namespace {

using UpdateDriverFn = BOOL(WINAPI*)(HWND, LPCWSTR, LPCWSTR, DWORD, PBOOL);
using DiInstallDriverFn = BOOL(WINAPI*)(HWND, LPCWSTR, DWORD, PBOOL);

class Win32DriverInstaller final : public ports::IDriverInstaller {
 public:
  bool CopyOEMInf(const char16_t* sourceInf, const char16_t* mediaLocation, uint32_t mediaType, uint32_t copyStyle,
                  char16_t* destination, uint32_t size, uint32_t* requiredSize) override {
    DWORD needed = 0;
    const BOOL ok = ::SetupCopyOEMInfW(Wide(sourceInf), Wide(mediaLocation), mediaType, copyStyle, Wide(destination),
                                       size, &needed, nullptr);
    const DWORD error = ::GetLastError();
    if (requiredSize) *requiredSize = needed;
    ::SetLastError(error);
    return ok;
  }

  bool UpdateDriverForPlugAndPlayDevices(winapi::Handle hwndParent, const char16_t* hardwareId,
                                         const char16_t* fullInfPath, uint32_t flags, bool* rebootRequired) override {
    static const auto update = BindFunction<UpdateDriverFn>(NewDev(), "UpdateDriverForPlugAndPlayDevicesW");
    if (!update) return Missing();
    BOOL reboot = FALSE;
    const BOOL ok = update(reinterpret_cast<HWND>(hwndParent), Wide(hardwareId), Wide(fullInfPath), flags,
                           rebootRequired ? &reboot : nullptr);
    if (rebootRequired) *rebootRequired = reboot;
    return ok;
  }

  bool DiInstallDriver(winapi::Handle hwndParent, const char16_t* infPath, uint32_t flags, bool* needReboot) override {
    static const auto install = BindFunction<DiInstallDriverFn>(NewDev(), "DiInstallDriverW");
    if (!install) return Missing();
    BOOL reboot = FALSE;
    const BOOL ok = install(reinterpret_cast<HWND>(hwndParent), Wide(infPath), flags, needReboot ? &reboot : nullptr);
    if (needReboot) *needReboot = reboot;
    return ok;
  }

 private:
  static HMODULE NewDev() { return SystemModule(L"newdev.dll"); }
  static bool Missing() {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
};

}  // namespace

std::unique_ptr<ports::IDriverInstaller> MakeDriverInstaller() { return std::make_unique<Win32DriverInstaller>(); }

}  // namespace win32
