// The size-then-fill pattern of the catalog-administrator hash calls.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/PortHandles.h"

namespace cryptcat {

// One CryptCATAdminCalcHashFromFileHandle[2] call: (size in/out, buffer or null).
using HashCall = std::function<bool(uint32_t* size, uint8_t* hash)>;

// Asks the size with `sizeCall` (no buffer), then fills a buffer of that size with
// `hashCall`. Empty when either call fails.
std::vector<uint8_t> HashOfOpenFile(const HashCall& sizeCall, const HashCall& hashCall);

// The file opened through the trust port for reading its hash (CreateFileW: read
// access, share-read, open-existing, normal attributes); false when it cannot be.
UniqueTrustFile OpenForHashing(const WString& fileName);

}  // namespace cryptcat
