// The verdict of WinVerifyTrust on one file: a PE image by its embedded
// Authenticode signature, a security catalog by its own signature; any other
// file is of a form the trust provider does not know.
#pragma once
#include <cstdint>
#include <filesystem>

#include "platform/offline/OfflineSignature.h"

namespace offline {

// The verdict, with the signing certificate whenever the signature names one.
TrustVerdict VerifySubject(const std::filesystem::path& file, const TrustedRoots& roots);

}  // namespace offline
