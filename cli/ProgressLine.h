// Progress on stderr, one line rewritten in place, only when stderr is a
// terminal: device n of N, what its progress window shows (the step, the current
// file, bytes done of total).
#pragma once
#include <chrono>
#include <mutex>
#include <ostream>
#include <string>

#include "platform/Text.h"

namespace cli {

class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool enabled, size_t devices, int width);
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // From any thread: device `index` (0-based) and what its progress window shows.
  void Show(size_t index, const WString& name, const WString& title, const WString& text, const WString& caption);
  // Removes the line (before a report goes to stdout on the same terminal).
  void Clear();

 private:
  std::ostream& err_;
  const bool enabled_;
  const size_t devices_;
  const size_t width_;
  std::mutex lock_;
  std::chrono::steady_clock::time_point lastShown_{};
  bool shown_ = false;
};

}  // namespace cli
