// The calling thread's last error, as kernel32 keeps it per thread.
#include "platform/sim/Machine.h"

namespace sim {

namespace {
thread_local uint32_t lastError = 0;
}

uint32_t GetLastError() { return lastError; }
void SetLastError(uint32_t code) { lastError = code; }

}  // namespace sim
