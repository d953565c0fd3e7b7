#include "cli/ShownText.h"

#include <algorithm>
#include <sstream>

#include "platform/SafeText.h"

namespace cli {

namespace {

constexpr size_t kPieceUnits = 16 * 1024;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// A stretch without line ends or tabs, shown in pieces that never split a surrogate pair.
void WriteShown(std::ostream& out, WStringView stretch) {
  while (!stretch.empty()) {
    size_t n = std::min(stretch.size(), kPieceUnits);
    if (n < stretch.size() && IsHighSurrogate(stretch[n - 1])) --n;
    out << Shown(stretch.substr(0, n));
    stretch.remove_prefix(n);
  }
}

}  // namespace

std::string Shown(WStringView text) { return text::ToUtf8(text::Visible(text)); }

void WritePlainLines(std::ostream& out, WStringView text) {
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && text[i] != u'\r' && text[i] != u'\n' && text[i] != u'\t') continue;
    WriteShown(out, text.substr(start, i - start));
    if (end) break;
    out << (text[i] == u'\t' ? '\t' : '\n');
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
}

std::string PlainLines(WStringView text) {
  std::ostringstream lines;
  WritePlainLines(lines, text);
  return std::move(lines).str();
}

}  // namespace cli
