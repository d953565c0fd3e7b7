#include "signing/TrustCheck.h"

#include <utility>

#include "platform/HostPath.h"
#include "platform/Platform.h"
#include "platform/StillWorking.h"
#include "platform/System.h"
#include "platform/SystemMessage.h"
#include "platform/Trust.h"
#include "signing/CryptCat.h"

namespace cryptcat {

namespace {

// The subject of the primary signer's certificate that a verify call's state holds.
WString SignerOfState(ports::ICatalogTrust& trust, winapi::Handle state) {
  const winapi::Handle signer = trust.WTHelperGetProvSignerFromChain(trust.WTHelperProvDataFromStateData(state), 0,
                                                                     false, 0);
  const winapi::ProviderCert* certificate = signer ? trust.WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  if (!certificate || !certificate->pCert) return {};
  const uint32_t strType = winapi::kCertX500NameStr | winapi::kCertNameStrReverseFlag;
  const uint32_t size = trust.CertGetNameString(certificate->pCert, winapi::kCertNameRdnType, 0, &strType, nullptr, 0);
  if (size <= 1) return {};
  WString subject(size, u'\0');
  const uint32_t written =
      trust.CertGetNameString(certificate->pCert, winapi::kCertNameRdnType, 0, &strType, subject.data(), size);
  return text::UpToNul(subject.c_str(), written);
}

}  // namespace

winapi::TrustData VerifyTrustData(winapi::TrustFileInfo& file, const WString& path, uint32_t providerFlags) {
  file = {};
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
  return data;
}

bool RunTrustCheck(const WString& path, uint32_t providerFlags, WString& Message, WString& Signer) {
  winapi::TrustFileInfo file;
  winapi::TrustData data = VerifyTrustData(file, path, providerFlags);

  winapi::Guid policy = winapi::kDriverActionVerify;
  ports::ICatalogTrust& trust = *Os().trust;
  // Checking a file's own signature hashes all of it: a big file is checked beside
  // the ticking window thread, and its last error is brought back here.
  const auto [status, error] = working::WhileTickingOver(paths::HostPath(path), [&] {
    const int32_t result = trust.WinVerifyTrustEx(winapi::kInvalidHandle, &policy, &data);
    return std::pair(result, Os().system->GetLastError());
  });
  Os().system->SetLastError(error);
  const bool passed = status == 0;
  Message = LastErrorMessageTrimmed();
  Signer = SignerOfState(trust, data.hWVTStateData);

  data.dwStateAction = winapi::kWtdStateActionClose;
  trust.WinVerifyTrustEx(winapi::kInvalidHandle, &policy, &data);
  return passed;
}

}  // namespace cryptcat
