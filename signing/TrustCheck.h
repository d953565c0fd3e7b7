// One WinVerifyTrustEx run under the driver-signing policy, state released after.
#pragma once
#include <cstdint>

#include "platform/Text.h"
#include "platform/Trust.h"

namespace cryptcat {

// The trust data of a driver-policy check of `path` without user interface or
// revocation checks, keeping its state until the close call; `file` is filled in
// and must outlive the data.
winapi::TrustData VerifyTrustData(winapi::TrustFileInfo& file, const WString& path, uint32_t providerFlags);

// Verifies `path` with the given provider flags, without user interface or
// revocation checks. Message := the system text of the result (also on success);
// Signer := the subject of the certificate that made the file's signature,
// trusted or not; empty when the file carries none.
bool RunTrustCheck(const WString& path, uint32_t providerFlags, WString& Message, WString& Signer);

}  // namespace cryptcat
