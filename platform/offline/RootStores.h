// The trusted root certificates a Windows installation keeps in its registry:
// HKLM\SOFTWARE\Microsoft\SystemCertificates\{ROOT,AuthRoot}\Certificates\<thumbprint>,
// each with a "Blob" value, a serialized store element whose property 0x20 is the
// DER certificate.
#pragma once
#include <optional>
#include <vector>

#include "platform/offline/Machine.h"

namespace offline {

// The DER certificate of a serialized store element; nullopt when it holds none.
std::optional<std::vector<uint8_t>> CertificateOfBlob(const std::vector<uint8_t>& blob);

// Every certificate of the machine's root stores, with the registry path of each.
std::vector<std::pair<WString, std::vector<uint8_t>>> RootStoreCertificates(const Machine& machine);

}  // namespace offline
