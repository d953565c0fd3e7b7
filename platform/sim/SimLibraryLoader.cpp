// Placeholder until the adapter is written.
#include "platform/Library.h"
#include "platform/sim/Adapters.h"

namespace sim {
std::unique_ptr<ports::ILibraryLoader> MakeLibraryLoader(Machine&) { return nullptr; }
}  // namespace sim
