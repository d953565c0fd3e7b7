// The search of the system catalogs (the catalog database) for a file's hash.
#include "platform/Platform.h"
#include "platform/Trust.h"
#include "signing/CryptCat.h"
#include "signing/FileHashes.h"
#include "signing/TrustCheck.h"

namespace {

// Full path of the first system catalog listing the file's SHA-1 catalog hash.
WString LookUpSystemCatalog(const WString& FileName) {
  ports::ICatalogTrust& trust = *Os().trust;
  winapi::Guid policy = winapi::kDriverActionVerify;
  UniqueCatAdmin context;
  if (!trust.CryptCATAdminAcquireContext(context.Put(), &policy, 0)) return {};

  std::vector<uint8_t> hash;
  {
    const UniqueTrustFile file = cryptcat::OpenForHashing(FileName);
    if (!file) return {};
    hash = cryptcat::HashOfOpenFile(
        [&](uint32_t* size, uint8_t* buffer) {
          return trust.CryptCATAdminCalcHashFromFileHandle2(context.Get(), file.Get(), size, buffer, 0);
        },
        [&](uint32_t* size, uint8_t* buffer) {
          return trust.CryptCATAdminCalcHashFromFileHandle(file.Get(), size, buffer, 0);
        });
  }  // the file is closed before the catalog database is searched
  if (hash.empty()) return {};

  const UniqueCatalogContext catInfo({context.Get(), trust.CryptCATAdminEnumCatalogFromHash(
                                                         context.Get(), hash.data(), uint32_t(hash.size()), 0, nullptr)});
  if (!catInfo) return {};
  winapi::CatalogInfo info;
  info.cbStruct = sizeof(info);
  if (!trust.CryptCATCatalogInfoFromContext(catInfo.Get().catInfo, &info, 0)) return {};
  return text::UpToNul(info.wszCatalogFile, winapi::kMaxPath);
}

}  // namespace

bool FindCatalogForHash(const WString& FileName, const TShellCallback& Callback, WString&, WString& Signer) {
  Signer.clear();
  const WString catalog = LookUpSystemCatalog(FileName);
  if (catalog.empty()) return false;
  LogField(u"Catalog", catalog, Callback);
  WString catalogTrust;  // the lookup vouches for the file; the catalog's own check only names its signer
  cryptcat::RunTrustCheck(catalog, winapi::kWtdRevocationCheckChain, catalogTrust, Signer);
  return true;
}

WString GetCatalogForFile(const WString& FileName) { return LookUpSystemCatalog(FileName); }
