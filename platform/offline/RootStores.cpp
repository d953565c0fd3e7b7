#include "platform/offline/RootStores.h"

#include <cstring>

namespace offline {

namespace {

constexpr uint32_t kCertificateProperty = 0x20;  // CERT_CERT_PROP_ID's element in a serialized store
constexpr size_t kElementHeader = 3 * sizeof(uint32_t);  // property id, reserved (1), byte count
constexpr const char16_t* kStores[] = {u"SOFTWARE\\Microsoft\\SystemCertificates\\ROOT\\Certificates",
                                       u"SOFTWARE\\Microsoft\\SystemCertificates\\AuthRoot\\Certificates"};

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) {
  uint32_t v;
  std::memcpy(&v, bytes.data() + at, sizeof v);
  return v;
}

}  // namespace

std::optional<std::vector<uint8_t>> CertificateOfBlob(const std::vector<uint8_t>& blob) {
  for (size_t at = 0; at + kElementHeader <= blob.size();) {
    const uint32_t property = U32At(blob, at);
    const uint32_t length = U32At(blob, at + 2 * sizeof(uint32_t));
    at += kElementHeader;
    if (length > blob.size() - at) return std::nullopt;  // cut short
    if (property == kCertificateProperty)
      return std::vector<uint8_t>(blob.begin() + std::ptrdiff_t(at), blob.begin() + std::ptrdiff_t(at + length));
    at += length;
  }
  return std::nullopt;
}

std::vector<std::pair<WString, std::vector<uint8_t>>> RootStoreCertificates(const Machine& machine) {
  std::vector<std::pair<WString, std::vector<uint8_t>>> out;
  for (const char16_t* store : kStores) {
    const RegKey* certificates = FindKey(machine.LocalMachine(), store);
    if (!certificates) continue;
    for (const auto& entry : certificates->Children()) {
      const RegValue* blob = entry->FindValue(u"Blob");
      if (!blob || blob->type != winapi::kRegBinary) continue;
      if (std::optional<std::vector<uint8_t>> der = CertificateOfBlob(blob->data))
        out.emplace_back(WString(store) + u"\\" + entry->Name(), std::move(*der));
    }
  }
  return out;
}

}  // namespace offline
