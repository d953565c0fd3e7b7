#include "backup/ProgressCaption.h"

#include <cstdio>
#include <string>

namespace backup {

namespace {

WString FormatFixed(double v, int decimals, const char* unit, char16_t decimalSeparator) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%1.*f%s", decimals, v, unit);
  WString s = text::FromUtf8(buffer);
  for (char16_t& c : s)
    if (c == u'.') c = decimalSeparator;
  return s;
}

}  // namespace

WString FormatBytes(uint64_t n, char16_t decimalSeparator) {
  constexpr uint64_t KB = uint64_t(1) << 10, MB = uint64_t(1) << 20, GB = uint64_t(1) << 30,
                     TB = uint64_t(1) << 40;
  const double v = double(n);
  if (n >= TB) return FormatFixed(v / double(TB), 2, "TB", decimalSeparator);
  if (n >= GB) return FormatFixed(v / double(GB), 2, "GB", decimalSeparator);
  if (n >= MB) return FormatFixed(v / double(MB), 1, "MB", decimalSeparator);
  if (n >= KB) return FormatFixed(v / double(KB), 1, "KB", decimalSeparator);
  return text::FromUInt(n) + u"B";
}

WString BarCaption(int64_t value, int64_t total, bool asBytes, char16_t decimalSeparator) {
  if (asBytes)
    return FormatBytes(uint64_t(value), decimalSeparator) + u" / " + FormatBytes(uint64_t(total), decimalSeparator);
  return text::FromInt(value) + u" / " + text::FromInt(total);
}

void TProgressState::Show(const WString& title) {
  this->title = title;
  text.clear();
}

void TProgressState::SetTotal(int64_t total) {
  this->total = total;
  value = 0;
}

WString TProgressState::Caption() const { return total > 0 ? BarCaption(value, total, asBytes) : WString(); }

}  // namespace backup
