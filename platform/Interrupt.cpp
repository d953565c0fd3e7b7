#include "platform/Interrupt.h"

#include "platform/Errors.h"

namespace interrupt {

std::atomic<bool>& Flag() {
  static std::atomic<bool> requested{false};
  static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
  return requested;
}

void StopIfRequested(const WString& next) {
  if (Requested()) throw QuillonError(u"Interrupted before \"" + next + u"\"");
}

}  // namespace interrupt
