#include "signing/CatalogCache.h"

#include "platform/Platform.h"
#include "platform/SystemMessage.h"
#include "platform/Trust.h"

namespace {
bool IsOpenHandle(winapi::Handle h) { return h != 0 && h != winapi::kInvalidHandle; }
}  // namespace

CatalogCache& TheCatalogCache() {
  static CatalogCache cache;  // lives until the process ends; the OS reclaims the handles
  return cache;
}

namespace cryptcat {

bool AcquireCachedCatalog(const WString& Catalog, WString& Message) {
  CatalogCache& cache = TheCatalogCache();
  ports::ICatalogTrust& trust = *Os().trust;

  if (!IsOpenHandle(cache.provider)) {
    if (!trust.CryptAcquireContext(&cache.provider, nullptr, nullptr, winapi::kProvRsaFull,
                                   winapi::kCryptVerifyContext)) {
      Message = LastErrorMessageTrimmed();
      return false;
    }
  }

  if (Catalog == cache.path) return true;  // already open (or already known to be invalid)

  if (IsOpenHandle(cache.catalog)) trust.CryptCATClose(cache.catalog);
  cache.catalog = trust.CryptCATOpen(Catalog.c_str(),
                                     winapi::kCryptCatOpenExisting | winapi::kCryptCatOpenExcludePageHashes,
                                     cache.provider, 0, 0);
  if (cache.catalog == winapi::kInvalidHandle) {
    Message = LastErrorMessageTrimmed();
    // Forget the path too (docs/behaviour.md): keeping it beside the invalid handle would make the next
    // check of that (maybe meanwhile valid) catalog report "Catalog invalid" unopened.
    cache.path.clear();
    return false;
  }
  cache.path = Catalog;
  return true;
}

}  // namespace cryptcat
