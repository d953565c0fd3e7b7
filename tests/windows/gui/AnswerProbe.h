// Asks a window "are you there?" from a thread of its own, one message after the
// other, the way Windows tells a hung window (one that pulls no messages for about
// 5 s, which it then ghosts as "Not Responding"), and records how long each
// message waited for its answer.
#pragma once
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/Handles.h"

namespace gui_test {

class AnswerProbe {
 public:
  using Clock = std::chrono::steady_clock;
  struct Answer {
    Clock::time_point sent, answered;
    bool ok = false;  // answered within the probe's timeout
    Clock::duration Wait() const { return answered - sent; }
  };

  // Starts asking at once; `timeout` is how long one message may wait before it
  // counts as unanswered, `pause` the time between an answer and the next message.
  AnswerProbe(HWND window, std::chrono::milliseconds timeout, std::chrono::milliseconds pause)
      : thread_([this, window, timeout, pause] {
          Ask(window, timeout, pause);
          ::SetEvent(ended_.Get());
        }) {}
  ~AnswerProbe() { Stop(); }
  AnswerProbe(const AnswerProbe&) = delete;
  AnswerProbe& operator=(const AnswerProbe&) = delete;

  // Stops asking and returns every answer. The calling thread (the window's)
  // pumps its messages meanwhile, so that the last message is answered at once.
  std::vector<Answer> Stop() {
    stop_ = true;
    if (thread_.joinable()) {
      HANDLE ended = ended_.Get();
      while (::MsgWaitForMultipleObjects(1, &ended, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
      }
      thread_.join();
    }
    std::lock_guard lock(mutex_);
    return answers_;
  }

 private:
  void Ask(HWND window, std::chrono::milliseconds timeout, std::chrono::milliseconds pause) {
    while (!stop_) {
      Answer answer;
      answer.sent = Clock::now();
      DWORD_PTR result = 0;
      answer.ok = ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, UINT(timeout.count()),
                                        &result) != 0;
      answer.answered = Clock::now();
      {
        std::lock_guard lock(mutex_);
        answers_.push_back(answer);
      }
      std::this_thread::sleep_for(pause);
    }
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Answer> answers_;
  win32::UniqueKernelHandle ended_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::thread thread_;  // last: starts once the rest is made
};

}  // namespace gui_test
