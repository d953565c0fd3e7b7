#include "platform/offline/OfflineCatalogFile.h"

#include <fstream>
#include <system_error>

#include "platform/Trust.h"

namespace offline {

namespace {

constexpr char kOidNameValue[] = "1.3.6.1.4.1.311.12.2.1";
constexpr char kOidMemberInfo[] = "1.3.6.1.4.1.311.12.2.2";
constexpr uint32_t kErrorNotACatalog = 0x8009200A;  // CRYPT_E_UNEXPECTED_MSG_TYPE

// UTF-16LE bytes up to the first NUL.
WString Utf16LeText(der::Bytes b) {
  WString out;
  for (size_t i = 0; i + 1 < b.size(); i += 2) {
    const char16_t c = char16_t(b[i] | (b[i + 1] << 8));
    if (c == 0) break;
    out += c;
  }
  return out;
}

// { name BMPString, flags INTEGER, value OCTET STRING }
std::optional<CatalogAttributeEntry> ParseNameValue(const der::Node& node) {
  auto parts = der::ChildrenOf(node, der::kSequence);
  if (!parts || parts->size() != 3 || (*parts)[0].tag != der::kBmpString || (*parts)[2].tag != der::kOctetString)
    return std::nullopt;
  auto flags = der::Unsigned((*parts)[1]);
  if (!flags || *flags > UINT32_MAX) return std::nullopt;
  CatalogAttributeEntry e;
  e.name = der::BmpText((*parts)[0]);
  e.flags = uint32_t(*flags);
  e.value.assign((*parts)[2].value.begin(), (*parts)[2].value.end());
  return e;
}

bool ParseMember(const der::Node& node, CatalogMemberEntry& member) {
  auto parts = der::ChildrenOf(node, der::kSequence);
  if (!parts || parts->empty() || parts->size() > 2 || (*parts)[0].tag != der::kOctetString) return false;
  member.tag = Utf16LeText((*parts)[0].value);
  if (parts->size() == 1) return true;
  auto attributes = der::ChildrenOf((*parts)[1], der::kSet);
  if (!attributes) return false;
  for (const der::Node& a : *attributes) {
    auto typeAndValues = der::ChildrenOf(a, der::kSequence);
    if (!typeAndValues || typeAndValues->size() != 2) return false;
    auto values = der::ChildrenOf((*typeAndValues)[1], der::kSet);
    if (!values) return false;
    const std::string type = der::OidText((*typeAndValues)[0]);
    for (const der::Node& v : *values) {
      if (type == kOidNameValue) {
        auto nv = ParseNameValue(v);
        if (!nv) return false;
        if (nv->name == u"File") member.fileName = Utf16LeText(nv->value);
      } else if (type == kOidMemberInfo) {
        auto info = der::ChildrenOf(v, der::kSequence);
        if (!info || info->size() != 2) return false;
        text::StringToGuid(der::BmpText((*info)[0]), member.subjectType);
        member.certVersion = uint32_t(der::Unsigned((*info)[1]).value_or(0));
      }
    }
  }
  return true;
}

// CTL ::= SEQUENCE { [version], subjectUsage, [listIdentifier], [sequenceNumber],
//   thisUpdate, [nextUpdate], subjectAlgorithm, [trustedSubjects], [0] extensions }
bool ParseTrustList(const der::Node& ctl, CatalogFile& out) {
  auto fields = der::ChildrenOf(ctl, der::kSequence);
  if (!fields) return false;
  const std::vector<der::Node>& f = *fields;
  auto isTime = [](const der::Node& n) { return n.tag == 0x17 || n.tag == 0x18; };
  size_t i = 0;
  auto isTag = [](uint8_t tag) { return [tag](const der::Node& n) { return n.tag == tag; }; };
  auto skipIf = [&](auto present) {
    if (i < f.size() && present(f[i])) ++i;
  };
  skipIf(isTag(der::kInteger));                                      // version
  if (i >= f.size() || f[i].tag != der::kSequence) return false;     // subject usage
  ++i;
  skipIf(isTag(der::kOctetString));                                  // list identifier
  skipIf(isTag(der::kInteger));                                      // sequence number
  if (i >= f.size() || !isTime(f[i])) return false;                  // this update
  ++i;
  skipIf(isTime);                                                    // next update
  if (i >= f.size()) return false;
  auto algorithm = der::ChildrenOf(f[i], der::kSequence);            // subject algorithm
  if (!algorithm || algorithm->empty()) return false;
  out.subjectAlgorithm = der::OidText((*algorithm)[0]);
  if (out.subjectAlgorithm.empty()) return false;
  for (++i; i < f.size(); ++i) {
    const der::Node& field = f[i];
    if (field.tag == der::kSequence) {
      auto subjects = der::Children(field);
      if (!subjects) return false;
      for (const der::Node& s : *subjects) {
        CatalogMemberEntry member;
        if (!ParseMember(s, member)) return false;
        out.members.push_back(std::move(member));
      }
    } else if (field.tag == der::ContextTag(0)) {
      auto wrapped = der::Children(field);
      if (!wrapped || wrapped->size() != 1) return false;
      auto extensions = der::ChildrenOf((*wrapped)[0], der::kSequence);
      if (!extensions) return false;
      for (const der::Node& e : *extensions) {
        auto parts = der::ChildrenOf(e, der::kSequence);
        if (!parts || parts->size() < 2 || parts->back().tag != der::kOctetString) return false;
        if (der::OidText((*parts)[0]) != kOidNameValue) continue;
        auto inner = der::Read(parts->back().value);
        if (!inner || inner->whole.size() != parts->back().value.size()) return false;
        auto nv = ParseNameValue(*inner);
        if (!nv) return false;
        out.attributes.push_back(std::move(*nv));
      }
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

const CatalogMemberEntry* CatalogFile::FindMember(WStringView tag) const {
  if (tag.empty()) return nullptr;
  for (const CatalogMemberEntry& m : members)
    if (text::EqualsIgnoreCase(m.tag, tag)) return &m;
  return nullptr;
}

std::unique_ptr<CatalogFile> ParseCatalog(std::vector<uint8_t> bytes, uint32_t& error) {
  auto catalog = std::make_unique<CatalogFile>();
  catalog->bytes = std::move(bytes);
  auto signedData = pkcs7::Parse(catalog->bytes);
  if (!signedData) {
    error = winapi::kCryptEAsn1BadTag;
    return nullptr;
  }
  if (signedData->contentType != pkcs7::kOidCertTrustList || !signedData->content) {
    error = kErrorNotACatalog;
    return nullptr;
  }
  catalog->signedData = std::move(*signedData);
  if (!ParseTrustList(*catalog->signedData.content, *catalog)) {
    error = winapi::kCryptEAsn1BadTag;
    return nullptr;
  }
  error = 0;
  return catalog;
}

std::unique_ptr<CatalogFile> LoadCatalog(const std::filesystem::path& path, uint32_t& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    error = std::filesystem::exists(path, ec) ? winapi::kErrorAccessDenied : winapi::kErrorFileNotFound;
    return nullptr;
  }
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxCatalogBytes) {
    error = winapi::kCryptEFileError;
    return nullptr;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) {
    error = winapi::kCryptEFileError;
    return nullptr;
  }
  return ParseCatalog(std::move(bytes), error);
}

}  // namespace offline
