#include "platform/offline/OfflineCertName.h"

#include <openssl/objects.h>
#include <openssl/x509.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include "platform/Trust.h"

namespace offline {

namespace {

// The keys CertNameToStrW uses for X.500 names; any other attribute is "OID.<dotted>".
const std::map<std::string, const char*>& X500Keys() {
  static const std::map<std::string, const char*> keys = {
      {"2.5.4.3", "CN"},   {"2.5.4.4", "SN"},      {"2.5.4.5", "SERIALNUMBER"}, {"2.5.4.6", "C"},
      {"2.5.4.7", "L"},    {"2.5.4.8", "S"},       {"2.5.4.9", "STREET"},       {"2.5.4.10", "O"},
      {"2.5.4.11", "OU"},  {"2.5.4.12", "T"},      {"2.5.4.42", "G"},           {"2.5.4.43", "I"},
      {"2.5.4.17", "PostalCode"}, {"1.2.840.113549.1.9.1", "E"}, {"0.9.2342.19200300.100.1.25", "DC"}};
  return keys;
}

std::string KeyOf(const ASN1_OBJECT* object) {
  char oid[128] = {};
  if (OBJ_obj2txt(oid, sizeof oid, object, 1) <= 0) return "OID.";
  const auto known = X500Keys().find(oid);
  return known != X500Keys().end() ? std::string(known->second) : "OID." + std::string(oid);
}

std::string ValueOf(const ASN1_STRING* data) {
  unsigned char* utf8 = nullptr;
  const int length = ASN1_STRING_to_UTF8(&utf8, data);
  if (length < 0) return {};
  std::string value(reinterpret_cast<const char*>(utf8), size_t(length));
  OPENSSL_free(utf8);
  return value;
}

// Quoted, with inner quotes doubled, when the value holds a separator or a blank at an end.
std::string Escaped(const std::string& value) {
  const bool quote = !value.empty() && (value.front() == ' ' || value.back() == ' ' ||
                                        value.find_first_of(",+=\"\n<>#;") != std::string::npos);
  if (!quote) return value;
  std::string out = "\"";
  for (char c : value) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace

WString SubjectText(const std::vector<uint8_t>& certificate, uint32_t strType) {
  const unsigned char* p = certificate.data();
  std::unique_ptr<X509, decltype(&X509_free)> cert(d2i_X509(nullptr, &p, long(certificate.size())), X509_free);
  if (!cert) return {};
  const X509_NAME* subject = X509_get_subject_name(cert.get());

  // The relative distinguished names in encoded order, each one or more "KEY=value".
  std::vector<std::string> names;
  int currentSet = -1;
  for (int i = 0; i < X509_NAME_entry_count(subject); ++i) {
    const X509_NAME_ENTRY* entry = X509_NAME_get_entry(subject, i);
    const std::string part = KeyOf(X509_NAME_ENTRY_get_object(entry)) + "=" +
                             Escaped(ValueOf(X509_NAME_ENTRY_get_data(entry)));
    if (X509_NAME_ENTRY_set(entry) == currentSet && !names.empty()) {
      names.back() += " + " + part;
    } else {
      names.push_back(part);
      currentSet = X509_NAME_ENTRY_set(entry);
    }
  }
  if (strType & winapi::kCertNameStrReverseFlag) std::reverse(names.begin(), names.end());
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text::FromUtf8(text);
}

}  // namespace offline
