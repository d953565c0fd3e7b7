// libFuzzer entry point for the security-catalog parser (the DER reader, PKCS #7
// SignedData and the certificate trust list): any input is either a catalog or
// refused with an error code; a crash, an exception or a catalog that breaks its
// own invariants is a bug.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "platform/offline/OfflineCatalogFile.h"
#include "platform/offline/OfflinePkcs7.h"

namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "catalog parser invariant broken: %s\n", what);
  std::abort();
}

// The spans of a parsed catalog point into its own bytes.
bool Inside(offline::der::Bytes part, const std::vector<uint8_t>& whole) {
  return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

void CheckCatalog(const offline::CatalogFile& catalog) {
  if (!catalog.signedData.content || !Inside(catalog.signedData.content->whole, catalog.bytes))
    Broken("content outside the catalog");
  for (const auto& certificate : catalog.signedData.certificates)
    if (!Inside(certificate, catalog.bytes)) Broken("certificate outside the catalog");
  for (const auto& signer : catalog.signedData.signers) {
    if (!Inside(signer.encryptedDigest, catalog.bytes)) Broken("signature outside the catalog");
    offline::pkcs7::AuthAttribute(signer, offline::pkcs7::kOidMessageDigest);
  }
  if (catalog.subjectAlgorithm.empty()) Broken("a catalog without subject algorithm");
  for (const auto& member : catalog.members) {
    if (member.tag.find(u'\0') != WString::npos) Broken("NUL inside a member tag");
    if (!member.tag.empty() && catalog.FindMember(member.tag) == nullptr) Broken("a member its lookup misses");
  }
  if (catalog.FindMember(u"") != nullptr) Broken("the empty tag found");
}

std::string EncodeLength(size_t n) {
  if (n < 0x80) return std::string(1, char(n));
  std::string bytes;
  for (; n; n >>= 8) bytes.insert(bytes.begin(), char(n & 0xFF));
  return char(0x80 | bytes.size()) + bytes;
}

// The input read leniently as DER (a length past the end is cut there, an
// indefinite one takes the rest) and written back with exact lengths. Mutations
// almost always break some length, which the parser rightly refuses at the top;
// re-framed, the same mutation reaches the structures inside.
std::string Reframe(const uint8_t* p, size_t n, int depth) {
  std::string out;
  for (size_t i = 0; i < n;) {
    const uint8_t tag = p[i++];
    size_t length = 0;
    if (i < n && p[i] < 0x80) {
      length = p[i++];
    } else if (i < n) {
      const size_t digits = p[i++] & 0x7F;
      if (digits == 0) length = n - i;
      for (size_t d = 0; d < digits && d < 4 && i < n; ++d) length = length << 8 | p[i++];
    }
    length = std::min(length, n - i);
    const bool constructed = tag & 0x20;
    const std::string value = constructed && depth < 24 ? Reframe(p + i, length, depth + 1)
                                                        : std::string(reinterpret_cast<const char*>(p + i), length);
    out += char(tag);
    out += EncodeLength(value.size());
    out += value;
    i += length;
  }
  return out;
}

void ParseAndCheck(const uint8_t* data, size_t size) {
  uint32_t error = 0;
  auto catalog = offline::ParseCatalog(std::vector<uint8_t>(data, data + size), error);
  if (!catalog) {
    if (error == 0) Broken("refused without an error code");
    return;
  }
  if (error != 0) Broken("parsed with an error code");
  CheckCatalog(*catalog);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ParseAndCheck(data, size);
  const std::string reframed = Reframe(data, size, 0);
  ParseAndCheck(reinterpret_cast<const uint8_t*>(reframed.data()), reframed.size());
  return 0;
}

// The fixtures' catalogs are the real seeds (named on the command line); these
// reach the refusal paths on their own.
std::vector<std::string> FuzzBuiltInSeeds() {
  return {"", std::string("\x30\x80", 2), std::string("\x30\x03\x06\x01\x00", 5),
          std::string("\x30\x84\xFF\xFF\xFF\xFF", 6)};
}

// DER fragments: sequence, set and context tags, long and indefinite lengths,
// the object identifiers the parser dispatches on.
std::vector<std::string> FuzzTokens() {
  auto oid = [](std::initializer_list<uint8_t> body) {
    std::string s(1, '\x06');
    s += char(body.size());
    for (uint8_t b : body) s += char(b);
    return s;
  };
  return {std::string("\x30\x00", 2), std::string("\x31\x00", 2), std::string("\xA0\x00", 2),
          std::string("\x04\x00", 2), std::string("\x02\x01\x01", 3), std::string("\x1E\x02\x00\x41", 4),
          std::string("\x17\x0D", 2), std::string("\x80", 1), std::string("\x81\xFF", 2),
          std::string("\x82\x01\x00", 3), std::string("\x84\xFF\xFF\xFF\xF0", 5), std::string("\x00\x00", 2),
          oid({0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02}),          // signedData
          oid({0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x0A, 0x01}),          // trust list
          oid({0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x0C, 0x02, 0x01}),    // name/value
          oid({0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x0C, 0x02, 0x02})};   // member info
}
