// Catalog membership and catalog trust: the two checks that name a catalog.
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/Trust.h"
#include "signing/CryptCat.h"
#include "signing/TrustCheck.h"

namespace {

constexpr int kMaxReportedAttributes = 11;

bool IsListed(winapi::Handle catalog, const WString& hashText) {
  return Os().trust->CryptCATGetMemberInfo(catalog, hashText.c_str()) != nullptr;
}

// The attribute's value bytes as UTF-16LE text, without control characters or
// blanks at either end (catalog tools pad values with NULs).
WString AttributeValue(const winapi::CatAttribute& attribute) {
  WString value;
  if (attribute.pbValue) {
    const uint32_t units = attribute.cbValue / 2;
    value.reserve(units);
    for (uint32_t i = 0; i < units; ++i)
      value += char16_t(attribute.pbValue[2 * i] | (attribute.pbValue[2 * i + 1] << 8));
  }
  return text::Trim(value);
}

void ReportCatalogAttributes(winapi::Handle catalog, const TShellCallback& Callback) {
  ports::ICatalogTrust& trust = *Os().trust;
  const winapi::CatAttribute* attribute = nullptr;
  for (int reported = 0; reported < kMaxReportedAttributes; ++reported) {
    attribute = trust.CryptCATEnumerateCatAttr(catalog, attribute);
    if (!attribute) break;
    const WString tag = attribute->pwszReferenceTag ? WString(attribute->pwszReferenceTag) : WString();
    LogField(tag, AttributeValue(*attribute), Callback);
  }
}

}  // namespace

bool TCatalogChecker::VerifyCatalogMember(const WString& Catalog, const WString& FileName,
                                          const TShellCallback& Callback, WString& Message) {
  Message.clear();
  signer_.clear();
  if (!AcquireCachedCatalog(Catalog, Message)) return false;
  const winapi::Handle catalog = cache_.catalog;
  if (catalog == winapi::kInvalidHandle) {
    Message = u"Catalog invalid";
    return false;
  }

  const WString sha1 = CalcFileHash(FileName);
  LogField(u"SHA-1", sha1, Callback);
  if (IsListed(catalog, sha1)) return true;

  const WString sha256 = CalcFileHashSha256(FileName, Message);
  LogField(u"SHA-256", sha256, Callback);
  if (IsListed(catalog, sha256)) return true;

  Message = u"File not found in the catalog";
  return false;
}

bool TCatalogChecker::VerifyCatalog(const WString& Catalog, const TShellCallback& Callback, WString& Message) {
  Message.clear();
  signer_.clear();
  if (!paths::FileExists(Catalog)) {
    Message = u"File not found or invalid";
    return false;
  }
  LogField(u"Tag", CalcFileHash(Catalog), Callback);

  if (!cryptcat::RunTrustCheck(Catalog, winapi::kWtdRevocationCheckChain, Message, signer_)) return false;
  if (!AcquireCachedCatalog(Catalog, Message)) return false;

  ReportCatalogAttributes(cache_.catalog, Callback);
  return true;
}
