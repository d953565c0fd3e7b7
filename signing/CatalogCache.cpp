// The checker's cache: the provider and the one open catalog.
#include "platform/Platform.h"
#include "platform/SystemMessage.h"
#include "platform/Trust.h"
#include "signing/CryptCat.h"

namespace {
bool IsOpenHandle(winapi::Handle h) { return h != 0 && h != winapi::kInvalidHandle; }
}  // namespace

TCatalogChecker::~TCatalogChecker() {
  if (IsOpenHandle(fCache.catalog)) Os().trust->CryptCATClose(fCache.catalog);
}

bool TCatalogChecker::AcquireCachedCatalog(const WString& Catalog, WString& Message) {
  ports::ICatalogTrust& trust = *Os().trust;

  if (!IsOpenHandle(fCache.provider)) {
    if (!trust.CryptAcquireContext(&fCache.provider, nullptr, nullptr, winapi::kProvRsaFull,
                                   winapi::kCryptVerifyContext)) {
      Message = LastErrorMessageTrimmed();
      return false;
    }
  }

  if (Catalog == fCache.path) return true;  // already open (or already known to be invalid)

  if (IsOpenHandle(fCache.catalog)) trust.CryptCATClose(fCache.catalog);
  fCache.catalog = trust.CryptCATOpen(Catalog.c_str(),
                                      winapi::kCryptCatOpenExisting | winapi::kCryptCatOpenExcludePageHashes,
                                      fCache.provider, 0, 0);
  if (fCache.catalog == winapi::kInvalidHandle) {
    Message = LastErrorMessageTrimmed();
    // Forget the path too (docs/behaviour.md): keeping it beside the invalid handle would make the next
    // check of that (maybe meanwhile valid) catalog report "Catalog invalid" unopened.
    fCache.path.clear();
    return false;
  }
  fCache.path = Catalog;
  return true;
}
