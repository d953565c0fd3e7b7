// The checker's cache: the provider and the one open catalog.
#include "platform/Platform.h"
#include "platform/SystemMessage.h"
#include "platform/Trust.h"
#include "signing/CryptCat.h"

namespace {
bool IsOpenHandle(winapi::Handle h) { return h != 0 && h != winapi::kInvalidHandle; }
}  // namespace

TCatalogChecker::~TCatalogChecker() {
  if (IsOpenHandle(cache_.catalog)) Os().trust->CryptCATClose(cache_.catalog);
}

bool TCatalogChecker::AcquireCachedCatalog(const WString& Catalog, WString& Message) {
  ports::ICatalogTrust& trust = *Os().trust;

  // An AES provider: it hashes with SHA-2 too. Wine reads a catalog whose signature
  // digest is SHA-256 through a PROV_RSA_FULL provider as an empty catalog whose
  // member walk crashes; Windows reads it through either.
  if (!IsOpenHandle(cache_.provider)) {
    if (!trust.CryptAcquireContext(&cache_.provider, nullptr, nullptr, winapi::kProvRsaAes,
                                   winapi::kCryptVerifyContext)) {
      Message = LastErrorMessageTrimmed();
      return false;
    }
  }

  if (Catalog == cache_.path) return true;  // already open (or already known to be invalid)

  if (IsOpenHandle(cache_.catalog)) trust.CryptCATClose(cache_.catalog);
  cache_.catalog = trust.CryptCATOpen(Catalog.c_str(),
                                      winapi::kCryptCatOpenExisting | winapi::kCryptCatOpenExcludePageHashes,
                                      cache_.provider, 0, 0);
  if (cache_.catalog == winapi::kInvalidHandle) {
    Message = LastErrorMessageTrimmed();
    // Forget the path too (docs/behaviour.md): keeping it beside the invalid handle would make the next
    // check of that (maybe meanwhile valid) catalog report "Catalog invalid" unopened.
    cache_.path.clear();
    return false;
  }
  cache_.path = Catalog;
  cache_.memberLookup = MemberLookup::Unknown;
  return true;
}
