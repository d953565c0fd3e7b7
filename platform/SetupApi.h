// Setup-services port: the setupapi.dll calls the device scan makes, with their
// Windows semantics: BOOL results with the reason in the thread's last error,
// caller-supplied buffers with their sizes, required sizes reported back,
// registry types of device properties.
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace ports {

using HDevInfo = winapi::Handle;  // winapi::kInvalidHandle when no set was made
using HIcon = winapi::Handle;     // 0 when none

// SetupDiGetClassDevsW flags.
constexpr uint32_t kDigcfDefault = 0x01;
constexpr uint32_t kDigcfPresent = 0x02;
constexpr uint32_t kDigcfAllClasses = 0x04;

// SetupDiGetDeviceRegistryPropertyW property codes.
constexpr uint32_t kSpdrpDeviceDesc = 0;
constexpr uint32_t kSpdrpHardwareId = 1;
constexpr uint32_t kSpdrpCompatibleIds = 2;
constexpr uint32_t kSpdrpService = 4;
constexpr uint32_t kSpdrpClass = 7;
constexpr uint32_t kSpdrpClassGuid = 8;
constexpr uint32_t kSpdrpDriver = 9;
constexpr uint32_t kSpdrpConfigFlags = 10;
constexpr uint32_t kSpdrpMfg = 11;
constexpr uint32_t kSpdrpFriendlyName = 12;
constexpr uint32_t kSpdrpCapabilities = 15;

// SetupGetInfInformationW search control.
constexpr uint32_t kInfInfoInfSpecIsHinf = 1;
constexpr uint32_t kInfInfoInfNameIsAbsolute = 2;
constexpr uint32_t kInfInfoDefaultSearch = 3;
constexpr uint32_t kInfInfoReverseDefaultSearch = 4;

// Last-error codes of the setup services beyond the common Win32 ones.
constexpr uint32_t kErrorInvalidUserBuffer = 1784;    // a structure's size field is wrong
constexpr uint32_t kErrorInvalidCursorHandle = 1402;  // DestroyIcon on a handle that is no icon
constexpr uint32_t kErrorNotFound = 1168;
constexpr uint32_t kErrorInvalidClass = 0xE0000209;   // no such setup class
constexpr uint32_t kErrorNoSuchDevinst = 0xE000020B;

// SP_DEVINFO_DATA on x64 (32 bytes): cbSize must be set to sizeof before the call.
struct SpDevInfoData {
  uint32_t cbSize = 0;
  winapi::Guid ClassGuid;
  uint32_t DevInst = 0;
  uint64_t Reserved = 0;
};
static_assert(sizeof(SpDevInfoData) == 32);

// SP_ORIGINAL_FILE_INFO_W (1044 bytes): cbSize must be set to sizeof before the call.
struct SpOriginalFileInfo {
  uint32_t cbSize = 0;
  char16_t OriginalInfName[winapi::kMaxPath] = {};
  char16_t OriginalCatalogName[winapi::kMaxPath] = {};
};
static_assert(sizeof(SpOriginalFileInfo) == 1044);

class ISetupApi {
 public:
  virtual ~ISetupApi() = default;

  // SetupDiGetClassDevsW. classGuid and enumerator may be null. Returns
  // winapi::kInvalidHandle on failure.
  virtual HDevInfo GetClassDevs(const winapi::Guid* classGuid, const char16_t* enumerator, winapi::Handle hwndParent,
                                uint32_t flags) = 0;
  // SetupDiEnumDeviceInfo: ERROR_NO_MORE_ITEMS past the last element;
  // ERROR_INVALID_USER_BUFFER when data->cbSize is not 32.
  virtual bool EnumDeviceInfo(HDevInfo set, uint32_t index, SpDevInfoData* data) = 0;
  // SetupDiGetDeviceInstanceIdW: size in characters; *requiredSize (may be
  // null) gets the characters needed including the NUL.
  virtual bool GetDeviceInstanceId(HDevInfo set, const SpDevInfoData* data, char16_t* buffer, uint32_t size,
                                   uint32_t* requiredSize) = 0;
  // SetupDiLoadDeviceIcon: the device's (or its class's) icon; the caller
  // destroys it with DestroyIcon.
  virtual bool LoadDeviceIcon(HDevInfo set, const SpDevInfoData* data, uint32_t cxIcon, uint32_t cyIcon,
                              uint32_t flags, HIcon* icon) = 0;
  // SetupDiGetDeviceRegistryPropertyW: size in bytes. A property that does not
  // fit fails with ERROR_INSUFFICIENT_BUFFER; a missing one with ERROR_INVALID_DATA.
  // regType and requiredSize may be null; they are set also when the buffer is too small.
  virtual bool GetDeviceRegistryProperty(HDevInfo set, const SpDevInfoData* data, uint32_t property,
                                         uint32_t* regType, uint8_t* buffer, uint32_t size,
                                         uint32_t* requiredSize) = 0;
  // SetupDiGetClassDescriptionW: size in characters; with a null or small buffer
  // it fails with ERROR_INSUFFICIENT_BUFFER and reports the characters needed.
  virtual bool GetClassDescription(const winapi::Guid& classGuid, char16_t* buffer, uint32_t size,
                                   uint32_t* requiredSize) = 0;
  // SetupGetInfInformationW: fills an SP_INF_INFORMATION record (opaque to
  // callers, only handed on to QueryInfOriginalFileInformation); size in bytes.
  virtual bool GetInfInformation(const char16_t* infSpec, uint32_t searchControl, uint8_t* returnBuffer,
                                 uint32_t size, uint32_t* requiredSize) = 0;
  // SetupQueryInfOriginalFileInformationW on a record from GetInfInformation.
  // altPlatformInfo may be null. ERROR_INVALID_USER_BUFFER when info->cbSize is not 1044.
  virtual bool QueryInfOriginalFileInformation(const uint8_t* infInformation, uint32_t infIndex,
                                               const void* altPlatformInfo, SpOriginalFileInfo* info) = 0;

  // Binds SetupGetInfDriverStoreLocationW (looked up at run time: older
  // systems and Wine lack a working one). False when the entry point is missing.
  virtual bool BindInfDriverStoreLocation() = 0;
  // SetupGetInfDriverStoreLocationW: size in characters. Without a bound entry
  // point it fails with ERROR_PROC_NOT_FOUND. The path is a host path.
  virtual bool GetInfDriverStoreLocation(const char16_t* fileName, const void* altPlatformInfo,
                                         const char16_t* localeName, char16_t* returnBuffer, uint32_t size,
                                         uint32_t* requiredSize) = 0;

  virtual bool DestroyDeviceInfoList(HDevInfo set) = 0;
  // user32 DestroyIcon, for the icons LoadDeviceIcon hands out.
  virtual bool DestroyIcon(HIcon icon) = 0;
};

}  // namespace ports
