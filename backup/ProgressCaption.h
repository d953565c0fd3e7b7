// What a progress bar says: its caption from value and total, as counts or byte
// sizes, and the state a progress sink keeps to say it. The window's progress
// window and the command line's progress line caption alike.
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace backup {

// "%1.2fTB", "%1.2fGB", "%1.1fMB", "%1.1fKB" or "%dB" of n (binary multiples,
// inclusive thresholds), with `decimalSeparator` in place of the point.
WString FormatBytes(uint64_t n, char16_t decimalSeparator = u'.');

// "value / total", each as a count or with FormatBytes.
WString BarCaption(int64_t value, int64_t total, bool asBytes, char16_t decimalSeparator = u'.');

// What a progress window shows at a moment.
struct TProgressState {
  WString title, text;
  int64_t value = 0, total = 0;  // no bar while total is 0 or less
  bool asBytes = false;

  void Show(const WString& title);     // the text is cleared
  void SetTotal(int64_t total);        // the value is reset to 0
  WString Caption() const;             // empty without a bar
};

}  // namespace backup
