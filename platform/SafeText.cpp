#include "platform/SafeText.h"

namespace text {
namespace {

constexpr char16_t kHex[] = u"0123456789abcdef";

bool ReordersALine(char16_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

}  // namespace

WString Visible(WStringView s) {
  WString out;
  out.reserve(s.size());
  for (char16_t c : s) {
    if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (c == u'\t') {
      out += u"\\t";
    } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      out += u"\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else if (ReordersALine(c)) {
      out += u"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

// A leading "'" where a spreadsheet would read the cell as a formula.
WString Defused(WStringView s) {
  WString cell;
  if (!s.empty() && (s[0] == u'=' || s[0] == u'+' || s[0] == u'-' || s[0] == u'@' || s[0] == u'\t' || s[0] == u'\r'))
    cell += u'\'';
  cell += s;
  return cell;
}

WString InQuotes(WStringView cell) {
  WString quoted = u"\"";
  for (char16_t c : cell) {
    if (c == u'"') quoted += u'"';
    quoted += c;
  }
  return quoted + u"\"";
}

}  // namespace

WString CsvCell(WStringView s) {
  const WString cell = Defused(s);
  if (cell.find_first_of(u",\"\r\n") == WString::npos) return cell;
  return InQuotes(cell);
}

WString QuotedCsvCell(WStringView s) { return InQuotes(Defused(s)); }

}  // namespace text
