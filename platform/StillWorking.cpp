#include "platform/StillWorking.h"

namespace working {

namespace {
thread_local ScopedListener::State* current = nullptr;
}  // namespace

ScopedListener::ScopedListener(std::function<void()> listener, std::chrono::milliseconds interval)
    : state_{std::move(listener), interval, std::chrono::steady_clock::now()}, previous_(current) {
  current = &state_;
}

ScopedListener::~ScopedListener() { current = previous_; }

void Tick() {
  ScopedListener::State* state = current;
  if (!state || state->calling) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - state->last < state->interval) return;
  state->last = now;
  state->calling = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{state->calling};
  state->listener();
}

bool Listening() { return current != nullptr; }

std::chrono::milliseconds Interval() { return current ? current->interval : kTickInterval; }

}  // namespace working
