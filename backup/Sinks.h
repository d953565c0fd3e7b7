// The two ways a command's work is seen while it runs: the lines of its report
// and its progress. The window routes them to the Shell tab and the progress
// window; the command line to a device's report and its progress line. A
// command never shows anything itself.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/Text.h"

namespace backup {

class IReportLog {
 public:
  virtual ~IReportLog() = default;
  // A line of its own, carrying its CR LF: a banner or a note.
  virtual void AddLine(const WString& line) = 0;
  // Report text continued where the report ends: the signature checks' lines.
  virtual void Append(const WString& text) = 0;
};

class IProgress {
 public:
  virtual ~IProgress() = default;
  // A new step: its title, the text line cleared.
  virtual void Show(const WString& title) = 0;
  virtual void SetText(const WString& text) = 0;
  // Counts or byte sizes; the total (which resets the value to 0); the value.
  // None of them redraws.
  virtual void SetFormatAsBytes(bool asBytes) = 0;
  virtual void SetTotal(int64_t total) = 0;
  virtual void SetValue(int64_t value) = 0;
  // Value and total at once, redrawn.
  virtual void SetBar(int64_t value, int64_t total) = 0;
  virtual void Draw() = 0;
};

// Progress nobody watches.
class TNoProgress final : public IProgress {
 public:
  void Show(const WString&) override {}
  void SetText(const WString&) override {}
  void SetFormatAsBytes(bool) override {}
  void SetTotal(int64_t) override {}
  void SetValue(int64_t) override {}
  void SetBar(int64_t, int64_t) override {}
  void Draw() override {}
};

// Set from any thread (Ctrl+C); a run checks it before each device it starts.
using TCancelFlag = std::atomic<bool>;

}  // namespace backup
