// A long step on one big file (hashing it, copying it, compressing it) gives no
// progress for a long time. Its loops say "still working" instead: a cheap tick
// that, at most every interval, calls the listener the calling thread installed.
// The window installs one while a command runs, so that it keeps answering its
// messages (Windows ghosts a window that pulls none for about 5 s). Ticks on a
// thread without a listener (a worker, the command line) cost a clock read.
#pragma once
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <utility>

#include "platform/FileOps.h"

namespace working {

constexpr std::chrono::milliseconds kTickInterval{100};

// Installs `listener` for the calling thread while in scope; the one it replaces
// comes back after. The first tick calls it once `interval` has passed.
class ScopedListener {
 public:
  explicit ScopedListener(std::function<void()> listener, std::chrono::milliseconds interval = kTickInterval);
  ~ScopedListener();
  ScopedListener(const ScopedListener&) = delete;
  ScopedListener& operator=(const ScopedListener&) = delete;

  struct State {
    std::function<void()> listener;
    std::chrono::milliseconds interval;
    std::chrono::steady_clock::time_point last;
    bool calling = false;  // a tick from inside the listener calls nobody
  };

 private:
  State state_;
  State* previous_;
};

// Called from streaming loops, once per piece of a file.
void Tick();

// Whether the calling thread has a listener, and its interval.
bool Listening();
std::chrono::milliseconds Interval();

// Runs `call` (one blocking call on a whole file: a system copy or hash) and
// returns what it returns. With a listener on this thread the call runs on a
// thread of its own while this one ticks until it ends; without one, here.
template <class Call>
auto WhileTicking(Call call) -> decltype(call()) {
  if (!Listening()) return call();
  auto result = std::async(std::launch::async, std::move(call));
  const auto slice = std::max(Interval(), std::chrono::milliseconds(1));
  while (result.wait_for(slice) != std::future_status::ready) Tick();
  return result.get();
}

// A whole-file call on a file smaller than this ends before a wait could be
// noticed: it runs right here, sparing a thread per file of a big package.
constexpr uint64_t kFileWorthAThread = uint64_t(8) << 20;

// WhileTicking for a call on the whole of `file` (a copy, a hash): a file below
// kFileWorthAThread, or one whose size cannot be read, is done right here.
template <class Call>
auto WhileTickingOver(const std::filesystem::path& file, Call call) -> decltype(call()) {
  if (!Listening()) return call();
  std::error_code ec;
  const uint64_t size = paths::FileSize(text::FromPath(file), ec);
  if (ec || size < kFileWorthAThread) return call();
  return WhileTicking(std::move(call));
}

}  // namespace working
