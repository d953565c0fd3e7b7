// Catalog membership and catalog trust: the two checks that name a catalog.
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/Trust.h"
#include "signing/CryptCat.h"
#include "signing/TrustCheck.h"

namespace {

constexpr int kMaxReportedAttributes = 11;

bool HasTag(const winapi::CatMember& member, const WString& hashText) {
  return member.pwszReferenceTag && text::EqualsIgnoreCase(member.pwszReferenceTag, hashText);
}

// Is `hashText` the tag of a member of the cached catalog? CryptCATGetMemberInfo
// answers on Windows. Wine's is a stub that finds nothing, while its
// CryptCATEnumerateMember works: at the first miss the lookup is tried on the
// first member the walk gives; when it does not find even that one, the members
// of this catalog are walked and their tags compared from then on. Windows thus
// pays one step of the walk per catalog.
bool IsListed(CatalogCache& cache, const WString& hashText) {
  if (hashText.empty()) return false;  // the file could not be hashed
  ports::ICatalogTrust& trust = *Os().trust;
  if (trust.CryptCATGetMemberInfo(cache.catalog, hashText.c_str())) return true;
  if (cache.memberLookup == MemberLookup::Works) return false;
  bool listed = false;
  // Walked to its end: Wine frees the member record it hands out only there.
  for (const winapi::CatMember* member = trust.CryptCATEnumerateMember(cache.catalog, nullptr); member;
       member = trust.CryptCATEnumerateMember(cache.catalog, member)) {
    if (cache.memberLookup == MemberLookup::Unknown && member->pwszReferenceTag) {
      const bool works = trust.CryptCATGetMemberInfo(cache.catalog, member->pwszReferenceTag) != nullptr;
      cache.memberLookup = works ? MemberLookup::Works : MemberLookup::Broken;
      if (works) return false;  // a real miss; Windows owns the member records, nothing to free
    }
    listed = listed || HasTag(*member, hashText);
  }
  return listed;
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
  if (cache_.catalog == winapi::kInvalidHandle) {
    Message = u"Catalog invalid";
    return false;
  }

  const WString sha1 = CalcFileHash(FileName);
  LogField(u"SHA-1", sha1, Callback);
  if (IsListed(cache_, sha1)) return true;

  const WString sha256 = CalcFileHashSha256(FileName, Message);
  LogField(u"SHA-256", sha256, Callback);
  if (IsListed(cache_, sha256)) return true;

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
