// registry.reg as `reg export` writes it: a header line, [key] lines, value lines
// ("name"=data, @=data) with `\` continuations, ';' comment lines.
#include <algorithm>

#include "platform/WinTypes.h"
#include "platform/offline/Machine.h"

namespace offline {

namespace {

constexpr WStringView kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr WStringView kHeader4 = u"REGEDIT4";
constexpr WStringView kLocalMachine = u"HKEY_LOCAL_MACHINE";
// Roots a full export may hold; the machine has no users, so they are skipped.
constexpr WStringView kOtherRoots[] = {u"HKEY_CURRENT_USER", u"HKEY_CLASSES_ROOT", u"HKEY_USERS",
                                       u"HKEY_CURRENT_CONFIG"};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

WStringView TrimLeft(WStringView s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

WStringView TrimRight(WStringView s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

WStringView Trim(WStringView s) { return TrimRight(TrimLeft(s)); }

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// 1 to 8 hex digits; false when anything else.
bool ParseHex32(WStringView s, uint32_t& out) {
  if (s.empty() || s.size() > 8) return false;
  out = 0;
  for (char16_t c : s) {
    int d = HexDigit(c);
    if (d < 0) return false;
    out = (out << 4) | uint32_t(d);
  }
  return true;
}

bool StartsWithIgnoreCase(WStringView s, WStringView prefix) {
  return s.size() >= prefix.size() && text::EqualsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

std::vector<uint8_t> Utf16LeWithNul(WStringView s) {
  std::vector<uint8_t> out;
  out.reserve((s.size() + 1) * 2);
  for (char16_t c : s) {
    out.push_back(uint8_t(c));
    out.push_back(uint8_t(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

bool IsUtf16Type(uint32_t type) {
  return type == winapi::kRegSz || type == winapi::kRegExpandSz || type == winapi::kRegLink ||
         type == winapi::kRegMultiSz;
}

// The file's text as UTF-16, whatever its encoding.
WString Decode(std::string_view bytes, const std::string& file) {
  if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) {
    bytes.remove_prefix(2);
    WString out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) out += char16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
    if (bytes.size() % 2 != 0) {
      size_t lines = 1 + size_t(std::count(out.begin(), out.end(), u'\n'));
      throw MachineError(file + ":" + std::to_string(lines) + ": the UTF-16 text ends in half a character");
    }
    return out;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return text::FromUtf8(bytes);
}

class RegFileParser {
 public:
  RegFileParser(const std::string& file, RegKey& root) : file_(file), root_(root) {}

  void Parse(WStringView content) {
    std::vector<WStringView> lines;
    for (size_t start = 0; start <= content.size();) {
      size_t end = content.find(u'\n', start);
      if (end == WStringView::npos) end = content.size();
      lines.push_back(TrimRight(content.substr(start, end - start)));
      start = end + 1;
    }
    bool headerSeen = false;
    for (size_t i = 0; i < lines.size(); ++i) {
      line_ = i + 1;
      WStringView line = TrimLeft(lines[i]);
      if (line.empty()) continue;
      if (!headerSeen) {
        if (line == kHeader5) regedit4_ = false;
        else if (line == kHeader4) regedit4_ = true;
        else Fail("expected the header \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
        headerSeen = true;
        continue;
      }
      if (line.front() == u';') continue;
      if (line.front() == u'[') {
        KeyLine(line);
        continue;
      }
      if (line.front() != u'"' && line.front() != u'@') Fail("expected a [key], a value or a comment");
      // A value continues while its line ends in a backslash; continuation lines
      // are indented, and the blanks are not part of the value.
      WString logical(line);
      while (!logical.empty() && logical.back() == u'\\') {
        // A file cut after the backslash, or a blank line after it, leaves the
        // value unfinished: refused, never loaded as a shorter value.
        if (i + 1 >= lines.size() || TrimLeft(lines[i + 1]).empty())
          FailAt(i + 1, "the value continues (a '\\' ends the line), but nothing follows");
        logical.pop_back();
        logical += TrimLeft(lines[++i]);
      }
      ValueLine(logical);
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& problem) const { FailAt(line_, problem); }
  [[noreturn]] void FailAt(size_t line, const std::string& problem) const {
    throw MachineError(file_ + ":" + std::to_string(line) + ": " + problem);
  }

  // Splits "ROOT\a\b" into its names; checks that none is empty.
  std::vector<WStringView> SplitPath(WStringView path) const {
    std::vector<WStringView> names;
    for (size_t start = 0;;) {
      size_t end = path.find(u'\\', start);
      WStringView name = path.substr(start, end == WStringView::npos ? WStringView::npos : end - start);
      if (name.empty()) Fail("empty key name in \"" + text::ToUtf8(path) + "\"");
      names.push_back(name);
      if (end == WStringView::npos) return names;
      start = end + 1;
    }
  }

  void KeyLine(WStringView line) {
    size_t close = line.rfind(u']');
    if (close == WStringView::npos) Fail("key line without ']'");
    if (!Trim(line.substr(close + 1)).empty()) Fail("text after the key's ']'");
    WStringView path = line.substr(1, close - 1);
    bool remove = !path.empty() && path.front() == u'-';
    if (remove) path.remove_prefix(1);
    // Some exporters end the path with a backslash; regedit reads it as the key.
    if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
    std::vector<WStringView> names = SplitPath(path);

    current_ = nullptr;
    skipping_ = false;
    if (!text::EqualsIgnoreCase(names[0], kLocalMachine)) {
      bool other = std::any_of(std::begin(kOtherRoots), std::end(kOtherRoots),
                               [&](WStringView r) { return text::EqualsIgnoreCase(names[0], r); });
      if (!other) Fail("unknown root key \"" + text::ToUtf8(names[0]) + "\"");
      skipping_ = !remove;
      return;
    }
    if (remove) {
      if (names.size() == 1) Fail("HKEY_LOCAL_MACHINE itself cannot be deleted");
      RegKey* parent = &root_;
      for (size_t i = 1; parent && i + 1 < names.size(); ++i) parent = parent->FindChild(names[i]);
      if (parent) parent->RemoveChild(names.back());
      return;
    }
    RegKey* key = &root_;
    for (size_t i = 1; i < names.size(); ++i) key = &key->Child(names[i]);
    current_ = key;
  }

  // A quoted text starting at s[0] == '"' with the escapes \" and \\; returns it and
  // moves `s` past the closing quote.
  WString QuotedText(WStringView& s, const char* what) const {
    WString out;
    for (size_t i = 1; i < s.size(); ++i) {
      char16_t c = s[i];
      if (c == u'"') {
        s.remove_prefix(i + 1);
        return out;
      }
      if (c == u'\\') {
        if (i + 1 >= s.size()) break;
        char16_t e = s[++i];
        if (e != u'\\' && e != u'"') Fail(std::string("unknown escape \"\\") + text::ToUtf8(WStringView(&e, 1)) + "\" in " + what);
        out += e;
        continue;
      }
      out += c;
    }
    Fail(std::string("unterminated ") + what);
  }

  void ValueLine(WStringView line) {
    if (!current_ && !skipping_) Fail("value outside a key");
    WString name;
    if (line.front() == u'@') line.remove_prefix(1);
    else name = QuotedText(line, "value name");
    line = TrimLeft(line);
    if (line.empty() || line.front() != u'=') Fail("expected '=' after the value name");
    line = Trim(line.substr(1));

    if (line == u"-") {
      if (current_) current_->RemoveValue(name);
      return;
    }
    RegValue value = ParseData(line);
    if (current_) current_->SetValue(name, std::move(value));
  }

  RegValue ParseData(WStringView data) const {
    if (!data.empty() && data.front() == u'"') {
      WString s = QuotedText(data, "string");
      if (!Trim(data).empty()) Fail("text after the string's closing quote");
      return {winapi::kRegSz, Utf16LeWithNul(s)};
    }
    if (StartsWithIgnoreCase(data, u"dword:")) {
      uint32_t v;
      if (!ParseHex32(Trim(data.substr(6)), v)) Fail("bad dword \"" + text::ToUtf8(data) + "\" (1 to 8 hex digits)");
      return {winapi::kRegDword, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
    }
    if (StartsWithIgnoreCase(data, u"hex:")) return HexValue(winapi::kRegBinary, data.substr(4));
    if (StartsWithIgnoreCase(data, u"hex(")) {
      size_t close = data.find(u')');
      uint32_t type;
      if (close == WStringView::npos || !ParseHex32(data.substr(4, close - 4), type))
        Fail("bad value type \"" + text::ToUtf8(data.substr(0, std::min<size_t>(data.size(), 16))) + "\"");
      if (close + 1 >= data.size() || data[close + 1] != u':') Fail("expected ':' after hex(" + text::ToUtf8(data.substr(4, close - 4)) + ")");
      return HexValue(type, data.substr(close + 2));
    }
    Fail("unknown value type \"" + text::ToUtf8(data.substr(0, std::min<size_t>(data.size(), 16))) + "\"");
  }

  RegValue HexValue(uint32_t type, WStringView list) const {
    std::vector<uint8_t> bytes;
    if (!Trim(list).empty()) {
      for (size_t start = 0;;) {
        size_t comma = list.find(u',', start);
        WStringView item = Trim(list.substr(start, comma == WStringView::npos ? WStringView::npos : comma - start));
        if (item.empty()) Fail(comma == WStringView::npos ? "truncated hex list (ends in a comma)" : "empty byte in hex list");
        if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0)
          Fail("bad hex byte \"" + text::ToUtf8(item) + "\"");
        bytes.push_back(uint8_t(HexDigit(item[0]) << 4 | HexDigit(item[1])));
        if (comma == WStringView::npos) break;
        start = comma + 1;
      }
    }
    if (IsUtf16Type(type)) {
      if (regedit4_) {
        // REGEDIT4 text values are single-byte (read as Latin-1); the W calls return UTF-16.
        std::vector<uint8_t> wide;
        for (uint8_t b : bytes) {
          wide.push_back(b);
          wide.push_back(0);
        }
        bytes = std::move(wide);
      } else if (bytes.size() % 2 != 0) {
        Fail("odd number of bytes (" + std::to_string(bytes.size()) + ") in a UTF-16 value");
      }
    }
    if (type == winapi::kRegQword && bytes.size() != 8)
      Fail("a qword needs 8 bytes, not " + std::to_string(bytes.size()));
    if ((type == winapi::kRegDword || type == winapi::kRegDwordBigEndian) && bytes.size() != 4)
      Fail("a dword needs 4 bytes, not " + std::to_string(bytes.size()));
    return {type, std::move(bytes)};
  }

  const std::string& file_;
  RegKey& root_;
  RegKey* current_ = nullptr;  // the key values go to
  bool skipping_ = false;      // inside a key of a root the machine does not hold
  bool regedit4_ = false;
  size_t line_ = 0;
};

}  // namespace

void ParseRegFile(std::string_view bytes, const std::string& fileNameForErrors, RegKey& root) {
  WString content = Decode(bytes, fileNameForErrors);
  RegFileParser(fileNameForErrors, root).Parse(content);
}

}  // namespace offline
