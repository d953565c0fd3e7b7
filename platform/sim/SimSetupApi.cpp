// Placeholder until the adapter is written.
#include "platform/SetupApi.h"
#include "platform/sim/Adapters.h"

namespace sim {
std::unique_ptr<ports::ISetupApi> MakeSetupApi(Machine&) { return nullptr; }
}  // namespace sim
