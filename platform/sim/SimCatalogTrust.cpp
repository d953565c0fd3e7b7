// Placeholder until the adapter is written.
#include "platform/Trust.h"
#include "platform/sim/Adapters.h"

namespace sim {
std::unique_ptr<ports::ICatalogTrust> MakeCatalogTrust(Machine&) { return nullptr; }
}  // namespace sim
