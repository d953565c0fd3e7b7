// The system message texts of the trust and crypt result codes, as Windows words them.
#pragma once

namespace offline {
// Adds them to the offline message table (idempotent).
void RegisterTrustMessageTexts();
}  // namespace offline
