// Small helpers for window tests under Wine: find this thread's windows, act
// from inside a modal loop, and never hang.
#pragma once
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace gui_test {

// The first window of this thread (top-level, or a child of `parent`) whose
// class is `className`; null when there is none.
inline HWND FindThreadWindow(const wchar_t* className, HWND parent = nullptr) {
  struct Search {
    const wchar_t* className;
    HWND found = nullptr;
  } search{className};
  auto visit = [](HWND hwnd, LPARAM lParam) -> BOOL {
    auto& s = *reinterpret_cast<Search*>(lParam);
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    if (std::wstring(name) != s.className) return TRUE;
    s.found = hwnd;
    return FALSE;
  };
  if (parent)
    ::EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
  else
    ::EnumThreadWindows(::GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::wstring WindowText(HWND hwnd) {
  wchar_t buffer[512] = {};
  ::GetWindowTextW(hwnd, buffer, 512);
  return buffer;
}

// The window's rectangle in its parent's client coordinates (or the screen's).
inline RECT PlacedRect(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  if (HWND parent = ::GetParent(hwnd); parent && (::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD))
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A left click inside the control, as the mouse would make it.
inline void Click(HWND control) {
  ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

// Calls `poll` every `intervalMs` from this thread's message loop (the one a
// modal window runs) until it returns true. Thread timers fire only there.
class RepeatUntilDone {
 public:
  RepeatUntilDone(UINT intervalMs, std::function<bool()> poll) : poll_(std::move(poll)) {
    id_ = ::SetTimer(nullptr, 0, intervalMs, &RepeatUntilDone::Tick);
    Active()[id_] = this;
  }
  ~RepeatUntilDone() { Stop(); }
  RepeatUntilDone(const RepeatUntilDone&) = delete;
  RepeatUntilDone& operator=(const RepeatUntilDone&) = delete;
  bool Done() const { return done_; }

 private:
  static std::map<UINT_PTR, RepeatUntilDone*>& Active() {
    static std::map<UINT_PTR, RepeatUntilDone*> active;
    return active;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Active().find(id);
    if (it == Active().end()) return;
    RepeatUntilDone& self = *it->second;
    if (!self.done_ && self.poll_()) {
      self.done_ = true;
      self.Stop();
    }
  }
  void Stop() {
    if (id_ == 0) return;
    ::KillTimer(nullptr, id_);
    Active().erase(id_);
    id_ = 0;
  }
  std::function<bool()> poll_;
  UINT_PTR id_ = 0;
  bool done_ = false;
};

// Ends the whole test process with a message if the scope outlives `limit`: a
// modal loop that never returns fails the test instead of hanging the run.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!wake_.wait_for(lock, limit, [this] { return finished_; })) {
            std::fprintf(stderr, "watchdog: a window did not close within %d s\n", int(limit.count()));
            std::fflush(stderr);
            ::TerminateProcess(::GetCurrentProcess(), 3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool finished_ = false;
  std::thread thread_;
};

// A plain top-level window standing in for the main window.
class OwnerWindow {
 public:
  explicit OwnerWindow(RECT placement = {100, 80, 900, 680}) {
    hwnd_ = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, placement.left, placement.top,
                              placement.right - placement.left, placement.bottom - placement.top, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
  }
  ~OwnerWindow() { ::DestroyWindow(hwnd_); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND Get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace gui_test
