// Placeholder until the adapter is written.
#include "platform/System.h"
#include "platform/sim/Adapters.h"

namespace sim {
std::unique_ptr<ports::ISystem> MakeSystem(Machine&) { return nullptr; }
}  // namespace sim
