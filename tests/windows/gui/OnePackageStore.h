// The Win32 setup services with a driver store of one package. Wine's
// SetupGetInfDriverStoreLocationW is a stub, so under Wine no device has a package
// folder; here every device's installed INF lies in the store as `storeInf`, with
// the INF and catalog names it had before installation, as Windows reports them
// for a package in DriverStore\FileRepository. Every other call is the real one.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/SetupApi.h"
#include "platform/Text.h"

namespace gui_test {

class OnePackageStore final : public ports::ISetupApi {
 public:
  OnePackageStore(ports::ISetupApi& real, WString storeInf, WString originalInf, WString originalCatalog)
      : real_(real),
        storeInf_(std::move(storeInf)),
        originalInf_(std::move(originalInf)),
        originalCatalog_(std::move(originalCatalog)) {}

  // What the store answers.
  bool GetInfInformation(const char16_t*, uint32_t, uint8_t*, uint32_t, uint32_t* requiredSize) override {
    if (requiredSize) *requiredSize = 1;
    return true;
  }
  bool QueryInfOriginalFileInformation(const uint8_t*, uint32_t, const void*, ports::SpOriginalFileInfo* info) override {
    if (info->cbSize != sizeof *info) return Fail(ERROR_INVALID_USER_BUFFER);
    Copy(originalInf_, info->OriginalInfName);
    Copy(originalCatalog_, info->OriginalCatalogName);
    return true;
  }
  bool BindInfDriverStoreLocation() override { return true; }
  bool GetInfDriverStoreLocation(const char16_t*, const void*, const char16_t*, char16_t* returnBuffer, uint32_t size,
                                 uint32_t* requiredSize) override {
    const uint32_t needed = uint32_t(storeInf_.size() + 1);
    if (requiredSize) *requiredSize = needed;
    if (!returnBuffer || size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::copy(storeInf_.c_str(), storeInf_.c_str() + needed, returnBuffer);
    return true;
  }

  // The real calls.
  ports::HDevInfo GetClassDevs(const winapi::Guid* classGuid, const char16_t* enumerator, winapi::Handle hwndParent,
                               uint32_t flags) override {
    return real_.GetClassDevs(classGuid, enumerator, hwndParent, flags);
  }
  bool EnumDeviceInfo(ports::HDevInfo set, uint32_t index, ports::SpDevInfoData* data) override {
    return real_.EnumDeviceInfo(set, index, data);
  }
  bool GetDeviceInstanceId(ports::HDevInfo set, const ports::SpDevInfoData* data, char16_t* buffer, uint32_t size,
                           uint32_t* requiredSize) override {
    return real_.GetDeviceInstanceId(set, data, buffer, size, requiredSize);
  }
  bool LoadDeviceIcon(ports::HDevInfo set, const ports::SpDevInfoData* data, uint32_t cxIcon, uint32_t cyIcon,
                      uint32_t flags, ports::HIcon* icon) override {
    return real_.LoadDeviceIcon(set, data, cxIcon, cyIcon, flags, icon);
  }
  bool GetDeviceRegistryProperty(ports::HDevInfo set, const ports::SpDevInfoData* data, uint32_t property,
                                 uint32_t* regType, uint8_t* buffer, uint32_t size, uint32_t* requiredSize) override {
    return real_.GetDeviceRegistryProperty(set, data, property, regType, buffer, size, requiredSize);
  }
  bool GetClassDescription(const winapi::Guid& classGuid, char16_t* buffer, uint32_t size,
                           uint32_t* requiredSize) override {
    return real_.GetClassDescription(classGuid, buffer, size, requiredSize);
  }
  bool DestroyDeviceInfoList(ports::HDevInfo set) override { return real_.DestroyDeviceInfoList(set); }
  bool DestroyIcon(ports::HIcon icon) override { return real_.DestroyIcon(icon); }

 private:
  static bool Fail(DWORD error) {
    ::SetLastError(error);
    return false;
  }
  static void Copy(const WString& name, char16_t (&field)[winapi::kMaxPath]) {
    const size_t n = std::min<size_t>(name.size(), winapi::kMaxPath - 1);
    std::copy_n(name.c_str(), n, field);
    field[n] = u'\0';
  }

  ports::ISetupApi& real_;
  WString storeInf_, originalInf_, originalCatalog_;
};

}  // namespace gui_test
