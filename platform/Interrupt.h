// A request to stop the work under way: Ctrl+C, the console window closing or
// SIGTERM. Long work (copying a driver-store folder, writing an archive) checks
// it between files, so a file is never left half written; what was begun is
// removed by the code that began it.
#pragma once
#include <atomic>

#include "platform/Text.h"

namespace interrupt {

// The process's one flag: set from a signal handler or the console's control
// handler (a lock-free atomic, safe there), read from any thread.
std::atomic<bool>& Flag();

inline bool Requested() { return Flag().load(); }

// Once a stop was requested, raises QuillonError "Interrupted before "<next>""
// (`next`: the file that would have come next).
void StopIfRequested(const WString& next);

}  // namespace interrupt
