// The setup-services port forwarded to setupapi.dll and user32. Records cross
// the port by copy, so the port's structures never alias the SDK's.
#include <windows.h>
#include <setupapi.h>

#include <cstring>

#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"
#include "platform/win32/SystemFunction.h"

namespace win32 {

namespace {

static_assert(sizeof(SP_DEVINFO_DATA) == sizeof(ports::SpDevInfoData));
static_assert(sizeof(SP_ORIGINAL_FILE_INFO_W) == sizeof(ports::SpOriginalFileInfo));
static_assert(sizeof(GUID) == sizeof(winapi::Guid));

// Not declared by every SDK, missing from older systems, not exported by Wine.
using LoadDeviceIconFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, UINT, UINT, DWORD, HICON*);
using InfDriverStoreLocationFn = BOOL(WINAPI*)(PCWSTR, PSP_ALTPLATFORM_INFO, PCWSTR, PWSTR, DWORD, PDWORD);

HDEVINFO ToSet(ports::HDevInfo set) { return reinterpret_cast<HDEVINFO>(set); }
const GUID* ToGuid(const winapi::Guid* g) { return reinterpret_cast<const GUID*>(g); }
DWORD* ToDword(uint32_t* p) { return reinterpret_cast<DWORD*>(p); }

SP_DEVINFO_DATA ToWin(const ports::SpDevInfoData& d) {
  SP_DEVINFO_DATA w{};
  w.cbSize = d.cbSize;
  std::memcpy(&w.ClassGuid, &d.ClassGuid, sizeof w.ClassGuid);
  w.DevInst = d.DevInst;
  w.Reserved = static_cast<ULONG_PTR>(d.Reserved);
  return w;
}

void FromWin(const SP_DEVINFO_DATA& w, ports::SpDevInfoData& d) {
  d.cbSize = w.cbSize;
  std::memcpy(static_cast<void*>(&d.ClassGuid), &w.ClassGuid, sizeof d.ClassGuid);
  d.DevInst = w.DevInst;
  d.Reserved = w.Reserved;
}

bool FailWith(DWORD code) {
  ::SetLastError(code);
  return false;
}

class Win32SetupApi final : public ports::ISetupApi {
 public:
  Win32SetupApi()
      : loadDeviceIcon_(BindFunction<LoadDeviceIconFn>(SystemModule(L"setupapi.dll"), "SetupDiLoadDeviceIcon")) {}

  ports::HDevInfo GetClassDevs(const winapi::Guid* classGuid, const char16_t* enumerator, winapi::Handle hwndParent,
                               uint32_t flags) override {
    HDEVINFO set = ::SetupDiGetClassDevsW(ToGuid(classGuid), Wide(enumerator),
                                          reinterpret_cast<HWND>(hwndParent), flags);
    return set == INVALID_HANDLE_VALUE ? winapi::kInvalidHandle : reinterpret_cast<ports::HDevInfo>(set);
  }

  bool EnumDeviceInfo(ports::HDevInfo set, uint32_t index, ports::SpDevInfoData* data) override {
    if (!data) return FailWith(ERROR_INVALID_PARAMETER);
    SP_DEVINFO_DATA element = ToWin(*data);
    if (!::SetupDiEnumDeviceInfo(ToSet(set), index, &element)) return false;
    FromWin(element, *data);
    return true;
  }

  bool GetDeviceInstanceId(ports::HDevInfo set, const ports::SpDevInfoData* data, char16_t* buffer, uint32_t size,
                           uint32_t* requiredSize) override {
    if (!data) return FailWith(ERROR_INVALID_PARAMETER);
    SP_DEVINFO_DATA element = ToWin(*data);
    return ::SetupDiGetDeviceInstanceIdW(ToSet(set), &element, Wide(buffer), size, ToDword(requiredSize));
  }

  bool LoadDeviceIcon(ports::HDevInfo set, const ports::SpDevInfoData* data, uint32_t cxIcon, uint32_t cyIcon,
                      uint32_t flags, ports::HIcon* icon) override {
    if (!loadDeviceIcon_) return FailWith(ERROR_PROC_NOT_FOUND);
    if (!data || !icon) return FailWith(ERROR_INVALID_PARAMETER);
    SP_DEVINFO_DATA element = ToWin(*data);
    HICON loaded = nullptr;
    if (!loadDeviceIcon_(ToSet(set), &element, cxIcon, cyIcon, flags, &loaded)) return false;
    *icon = reinterpret_cast<ports::HIcon>(loaded);
    return true;
  }

  bool GetDeviceRegistryProperty(ports::HDevInfo set, const ports::SpDevInfoData* data, uint32_t property,
                                 uint32_t* regType, uint8_t* buffer, uint32_t size, uint32_t* requiredSize) override {
    if (!data) return FailWith(ERROR_INVALID_PARAMETER);
    SP_DEVINFO_DATA element = ToWin(*data);
    return ::SetupDiGetDeviceRegistryPropertyW(ToSet(set), &element, property, ToDword(regType), buffer, size,
                                               ToDword(requiredSize));
  }

  bool GetClassDescription(const winapi::Guid& classGuid, char16_t* buffer, uint32_t size,
                           uint32_t* requiredSize) override {
    return ::SetupDiGetClassDescriptionW(ToGuid(&classGuid), Wide(buffer), size, ToDword(requiredSize));
  }

  bool GetInfInformation(const char16_t* infSpec, uint32_t searchControl, uint8_t* returnBuffer, uint32_t size,
                         uint32_t* requiredSize) override {
    return ::SetupGetInfInformationW(Wide(infSpec), searchControl, reinterpret_cast<PSP_INF_INFORMATION>(returnBuffer),
                                     size, ToDword(requiredSize));
  }

  bool QueryInfOriginalFileInformation(const uint8_t* infInformation, uint32_t infIndex, const void* altPlatformInfo,
                                       ports::SpOriginalFileInfo* info) override {
    if (!infInformation || !info) return FailWith(ERROR_INVALID_PARAMETER);
    SP_ORIGINAL_FILE_INFO_W original{};
    original.cbSize = info->cbSize;
    // The record is only read; the SDK declares it writable.
    auto* record = reinterpret_cast<PSP_INF_INFORMATION>(const_cast<uint8_t*>(infInformation));
    auto* platform = static_cast<PSP_ALTPLATFORM_INFO>(const_cast<void*>(altPlatformInfo));
    if (!::SetupQueryInfOriginalFileInformationW(record, infIndex, platform, &original)) return false;
    std::memcpy(info->OriginalInfName, original.OriginalInfName, sizeof info->OriginalInfName);
    std::memcpy(info->OriginalCatalogName, original.OriginalCatalogName, sizeof info->OriginalCatalogName);
    return true;
  }

  bool BindInfDriverStoreLocation() override {
    driverStoreLocation_ =
        BindFunction<InfDriverStoreLocationFn>(SystemModule(L"setupapi.dll"), "SetupGetInfDriverStoreLocationW");
    return driverStoreLocation_ != nullptr;
  }

  bool GetInfDriverStoreLocation(const char16_t* fileName, const void* altPlatformInfo, const char16_t* localeName,
                                 char16_t* returnBuffer, uint32_t size, uint32_t* requiredSize) override {
    if (!driverStoreLocation_) return FailWith(ERROR_PROC_NOT_FOUND);
    auto* platform = static_cast<PSP_ALTPLATFORM_INFO>(const_cast<void*>(altPlatformInfo));
    return driverStoreLocation_(Wide(fileName), platform, Wide(localeName), Wide(returnBuffer),
                                size, ToDword(requiredSize));
  }

  bool DestroyDeviceInfoList(ports::HDevInfo set) override { return ::SetupDiDestroyDeviceInfoList(ToSet(set)); }

  bool DestroyIcon(ports::HIcon icon) override { return ::DestroyIcon(reinterpret_cast<HICON>(icon)); }

 private:
  LoadDeviceIconFn loadDeviceIcon_;
  InfDriverStoreLocationFn driverStoreLocation_ = nullptr;
};

}  // namespace

std::unique_ptr<ports::ISetupApi> MakeSetupApi() { return std::make_unique<Win32SetupApi>(); }

}  // namespace win32
