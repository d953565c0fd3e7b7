#include "cli/ProgressLine.h"

#include "cli/ShownText.h"
#include "cli/Table.h"

namespace cli {

namespace {
constexpr auto kInterval = std::chrono::milliseconds(100);
}  // namespace

ProgressLine::ProgressLine(std::ostream& err, bool enabled, size_t devices, int width)
    : err_(err), enabled_(enabled), devices_(devices), width_(width > 1 ? size_t(width - 1) : 79) {}

void ProgressLine::Show(size_t index, const WString& name, const WString& title, const WString& text,
                        const WString& caption) {
  if (!enabled_) return;
  std::lock_guard<std::mutex> guard(lock_);
  const auto now = std::chrono::steady_clock::now();
  if (shown_ && now - lastShown_ < kInterval) return;
  lastShown_ = now;
  std::string line = "device " + std::to_string(index + 1) + " of " + std::to_string(devices_) + ": " + Shown(name);
  for (const WString* part : {&title, &text, &caption})
    if (!part->empty()) line += " | " + Shown(*part);
  // Cut to the terminal's width on a character boundary.
  while (DisplayLength(line) > width_) {
    size_t at = line.size() - 1;
    while (at > 0 && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80) --at;
    line.erase(at);
  }
  err_ << "\r\033[K" << line << std::flush;
  shown_ = true;
}

void ProgressLine::Clear() {
  if (!enabled_) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (shown_) err_ << "\r\033[K" << std::flush;
  shown_ = false;
}

}  // namespace cli
