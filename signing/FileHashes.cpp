// Catalog hashes of files as hash text: SHA-1 (the catalog-administrator default)
// and SHA-256 (through a context that asks for it).
#include <algorithm>

#include "platform/HostPath.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/StillWorking.h"
#include "platform/SystemMessage.h"
#include "platform/Trust.h"
#include "signing/CryptCat.h"
#include "signing/FileHashes.h"

namespace cryptcat {

std::vector<uint8_t> HashOfOpenFile(const HashCall& sizeCall, const HashCall& hashCall) {
  uint32_t size = 0;
  if (!sizeCall(&size, nullptr) || size == 0) return {};
  std::vector<uint8_t> hash(size);
  if (!hashCall(&size, hash.data())) return {};
  hash.resize(std::min<size_t>(size, hash.size()));
  return hash;
}

UniqueTrustFile OpenForHashing(const WString& fileName) {
  return UniqueTrustFile(Os().trust->CreateFile(fileName.c_str(), winapi::kGenericRead, winapi::kFileShareRead,
                                                 winapi::kOpenExisting, winapi::kFileAttributeNormal));
}

}  // namespace cryptcat

WString CalcFileHash(const WString& FileName) {
  if (!paths::FileExists(FileName)) return {};
  const UniqueTrustFile file = cryptcat::OpenForHashing(FileName);
  if (!file) return {};
  auto calc = [&, host = paths::HostPath(FileName)](uint32_t* size, uint8_t* hash) {
    return working::WhileTickingOver(
        host, [&] { return Os().trust->CryptCATAdminCalcHashFromFileHandle(file.Get(), size, hash, 0); });
  };
  return HashToHex(cryptcat::HashOfOpenFile(calc, calc));
}

WString CalcFileHashSha256(const WString& FileName, WString& Message) {
  if (!paths::FileExists(FileName)) return {};
  static const winapi::Guid kNoSubsystem{};
  UniqueCatAdmin context;
  if (!Os().trust->CryptCATAdminAcquireContext2(context.Put(), &kNoSubsystem, u"SHA256", nullptr, 0)) {
    Message = LastErrorMessageTrimmed();
    return {};
  }
  const UniqueTrustFile file = cryptcat::OpenForHashing(FileName);
  if (!file) return {};
  auto calc = [&, host = paths::HostPath(FileName)](uint32_t* size, uint8_t* hash) {
    return working::WhileTickingOver(
        host, [&] { return Os().trust->CryptCATAdminCalcHashFromFileHandle2(context.Get(), file.Get(), size, hash, 0); });
  };
  return HashToHex(cryptcat::HashOfOpenFile(calc, calc));
}
