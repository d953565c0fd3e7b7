// Placeholder until the adapter is written.
#include "platform/win32/Adapters.h"

namespace win32 {
std::unique_ptr<ports::ICatalogTrust> MakeCatalogTrust() { return nullptr; }
}  // namespace win32
