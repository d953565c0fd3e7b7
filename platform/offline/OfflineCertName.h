// A certificate's subject as CertNameToStrW writes it with CERT_X500_NAME_STR:
// "KEY=value" parts, ", " between relative names, " + " inside one, values
// quoted when they hold a separator or blanks at an end.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/Text.h"

namespace offline {

// The subject of a DER certificate; `strType` is CERT_X500_NAME_STR, with
// CERT_NAME_STR_REVERSE_FLAG for the most specific name first. Empty when the
// certificate does not parse.
WString SubjectText(const std::vector<uint8_t>& certificate, uint32_t strType);

}  // namespace offline
