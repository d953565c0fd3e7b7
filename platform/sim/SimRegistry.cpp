// Placeholder until the adapter is written.
#include "platform/Registry.h"
#include "platform/sim/Adapters.h"

namespace sim {
std::unique_ptr<ports::IRegistry> MakeRegistry(Machine&) { return nullptr; }
}  // namespace sim
