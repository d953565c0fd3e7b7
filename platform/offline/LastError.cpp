// The calling thread's last error, as kernel32 keeps it per thread.
#include "platform/offline/Machine.h"

namespace offline {

namespace {
thread_local uint32_t lastError = 0;
}

uint32_t GetLastError() { return lastError; }
void SetLastError(uint32_t code) { lastError = code; }

}  // namespace offline
