// Placeholder until the adapter is written.
#include "platform/Shell.h"
#include "platform/sim/Adapters.h"

namespace sim {
std::unique_ptr<ports::IShell> MakeShell(Machine&, std::function<void(const WString&, const WString&)>) { return nullptr; }
}  // namespace sim
