// VerifyFile: which check runs depends on which of the two paths are given.
#include "signing/CryptCat.h"

#include "platform/Trust.h"
#include "signing/TrustCheck.h"

bool VerifyEmbeddedSignature(const WString& FileName, const TShellCallback&, WString& Message, WString& Signer) {
  Message.clear();
  Signer.clear();
  if (FileName.empty()) return false;
  return cryptcat::RunTrustCheck(FileName, winapi::kWtdNoPolicyUsageFlag, Message, Signer);
}

bool TCatalogChecker::VerifyFile(const WString& Catalog, const WString& FileName, const TShellCallback& Callback,
                                 WString& Message) {
  Message.clear();
  signer_.clear();
  if (!Catalog.empty() && !FileName.empty()) return VerifyCatalogMember(Catalog, FileName, Callback, Message);
  if (!Catalog.empty()) return VerifyCatalog(Catalog, Callback, Message);
  if (!FileName.empty()) {
    if (VerifyEmbeddedSignature(FileName, Callback, Message, signer_)) return true;
    // Not signed on its own: a system catalog listing it will do. Message keeps
    // the embedded check's text for the report, and the signer stays the file's
    // own (an untrusted one) unless a catalog vouches for it.
    WString catalogSigner;
    if (!FindCatalogForHash(FileName, Callback, Message, catalogSigner)) return false;
    signer_ = catalogSigner;
    return true;
  }
  return false;
}
