#include "signing/TrustCheck.h"

#include "platform/Platform.h"
#include "platform/SystemMessage.h"
#include "platform/Trust.h"
#include "signing/CryptCat.h"

namespace cryptcat {

bool RunTrustCheck(const WString& path, uint32_t providerFlags, WString& Message) {
  winapi::TrustFileInfo file;
  file.cbStruct = sizeof(winapi::TrustFileInfo);
  file.pcwszFilePath = path.c_str();

  winapi::TrustData data;
  data.cbStruct = sizeof(winapi::TrustData);
  data.dwUIChoice = winapi::kWtdUiNone;
  data.fdwRevocationChecks = winapi::kWtdRevokeNone;
  data.dwUnionChoice = winapi::kWtdChoiceFile;
  data.pFile = &file;
  data.dwStateAction = winapi::kWtdStateActionVerify;
  data.dwProvFlags = providerFlags;

  winapi::Guid policy = winapi::kDriverActionVerify;
  ports::ICatalogTrust& trust = *Os().trust;
  const bool passed = trust.WinVerifyTrustEx(winapi::kInvalidHandle, &policy, &data) == 0;
  Message = LastErrorMessageTrimmed();

  data.dwStateAction = winapi::kWtdStateActionClose;
  trust.WinVerifyTrustEx(winapi::kInvalidHandle, &policy, &data);
  return passed;
}

}  // namespace cryptcat
