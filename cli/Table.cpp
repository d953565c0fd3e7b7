#include "cli/Table.h"

#include <algorithm>
#include <numeric>

namespace cli {

namespace {

constexpr size_t kGap = 2;
constexpr size_t kNarrowest = 4;
const std::string kEllipsis = "\u2026";

bool StartsCodePoint(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// The first `length` characters, the last of them "…" when the text is longer.
std::string Cut(const std::string& s, size_t length) {
  if (DisplayLength(s) <= length) return s;
  size_t kept = 0, at = 0;
  for (; at < s.size(); ++at)
    if (StartsCodePoint(s[at]) && kept++ == length - 1) break;
  return s.substr(0, at) + kEllipsis;
}

}  // namespace

size_t DisplayLength(const std::string& utf8) {
  return size_t(std::count_if(utf8.begin(), utf8.end(), StartsCodePoint));
}

void PrintTable(std::ostream& out, const TableRow& header, const std::vector<TableRow>& rows, int width) {
  std::vector<size_t> widths(header.size());
  for (size_t c = 0; c < header.size(); ++c) widths[c] = DisplayLength(header[c]);
  for (const TableRow& row : rows)
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], DisplayLength(row[c]));

  if (width > 0) {
    auto total = [&] { return std::accumulate(widths.begin(), widths.end(), size_t(0)) + kGap * (widths.size() - 1); };
    while (total() > size_t(width)) {
      const auto widest = std::max_element(widths.begin(), widths.end());
      if (*widest <= kNarrowest) break;  // nothing left to cut: the line wraps
      --*widest;
    }
  }

  auto print = [&](const TableRow& row) {
    std::string line;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string cell = Cut(c < row.size() ? row[c] : std::string(), widths[c]);
      line += cell;
      if (c + 1 < widths.size()) line += std::string(widths[c] - DisplayLength(cell) + kGap, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  };
  print(header);
  for (const TableRow& row : rows) print(row);
}

}  // namespace cli
