#include "restore/DriverInstall.h"

#include <cstdio>
#include <vector>

#include "platform/DriverInstaller.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/SetupApi.h"
#include "platform/System.h"
#include "platform/SystemMessage.h"

namespace restore {

namespace {

ports::IDriverInstaller& Installer() {
  ports::IDriverInstaller* drivers = Os().drivers;
  if (!drivers) throw QuillonError(text::W("Driver installation is not available on this platform"));
  return *drivers;
}

uint32_t LastError() { return Os().system->GetLastError(); }

// The setup services' own codes (0xE000xxxx) have their text in the message table
// under their HRESULT form, HRESULT_FROM_SETUPAPI.
constexpr uint32_t kSetupApiCodeMask = 0xE0000000;
uint32_t SetupApiHResult(uint32_t code) { return 0x800F0000u | (code & 0x0000FFFFu); }

WString SystemWords(uint32_t code) {
  WString words = SystemMessageWithoutStop(code);
  if (words.empty() && (code & kSetupApiCodeMask) == kSetupApiCodeMask)
    words = SystemMessageWithoutStop(SetupApiHResult(code));
  return words;
}

WString CodeText(uint32_t code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", unsigned(code));
  return text::W(hex);
}

// What a code means after a call where the system's words do not say it.
const char* Meaning(InstallCall call, uint32_t code) {
  switch (code) {
    case winapi::kErrorNoMoreItems:
      return call == InstallCall::UpdateDevices ? "not a better driver than the one the device has" : nullptr;
    case ports::kErrorNoSuchDevinst:
      return "no device with this hardware id is present";
    case winapi::kErrorProcNotFound:
      return call == InstallCall::Publish ? nullptr : "this Windows cannot install drivers this way";
    case ports::kErrorElevationRequired:
    case winapi::kErrorAccessDenied:
      return "installing drivers needs an administrator";
    default:
      return nullptr;
  }
}

}  // namespace

WString InstallErrorText(InstallCall call, uint32_t code) {
  WString words = SystemWords(code);
  if (words.empty()) words = u"error " + CodeText(code);
  const char* meaning = Meaning(call, code);
  return meaning ? text::W(meaning) + u" (" + words + u")" : words;
}

InstallResult DriverInstallation::Finish(bool ok, bool restart, InstallCall call) {
  InstallResult result;
  if (!ok) {
    result.error = LastError();
    // A failed call that sets no code still failed.
    if (result.error == 0) result.error = winapi::kErrorInvalidFunction;
    result.message = InstallErrorText(call, result.error);
  }
  result.restartNeeded = restart;
  restartNeeded_ = restartNeeded_ || restart;
  return result;
}

PublishResult DriverInstallation::Publish(const WString& infPath) {
  ports::IDriverInstaller& drivers = Installer();
  std::vector<char16_t> buffer(winapi::kMaxPath);
  uint32_t required = 0;
  bool ok = drivers.CopyOEMInf(infPath.c_str(), nullptr, ports::kSpostPath, 0, buffer.data(), uint32_t(buffer.size()),
                               &required);
  if (!ok && LastError() == winapi::kErrorInsufficientBuffer && required > buffer.size()) {
    buffer.assign(required, u'\0');
    ok = drivers.CopyOEMInf(infPath.c_str(), nullptr, ports::kSpostPath, 0, buffer.data(), uint32_t(buffer.size()),
                            &required);
  }
  PublishResult result;
  static_cast<InstallResult&>(result) = Finish(ok, false, InstallCall::Publish);
  if (ok) result.publishedInf = text::UpToNul(buffer.data(), buffer.size());
  return result;
}

InstallResult DriverInstallation::InstallOnDevices(const WString& hardwareId, const WString& infPath, bool force) {
  bool restart = false;
  const uint32_t flags = ports::kInstallFlagNonInteractive | (force ? ports::kInstallFlagForce : 0);
  const bool ok = Installer().UpdateDriverForPlugAndPlayDevices(0, hardwareId.c_str(), infPath.c_str(), flags, &restart);
  return Finish(ok, ok && restart, InstallCall::UpdateDevices);
}

InstallResult DriverInstallation::InstallDriver(const WString& infPath) {
  bool restart = false;
  const bool ok = Installer().DiInstallDriver(0, infPath.c_str(), 0, &restart);
  return Finish(ok, ok && restart, InstallCall::InstallDriver);
}

}  // namespace restore
