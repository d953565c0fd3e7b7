#include "platform/offline/OfflineInfFile.h"

#include <fstream>
#include <optional>

namespace offline {
namespace {

// [Version] opens an INF: it is looked for in the first MiB only, and a line is
// kept to its first 64 Ki characters, so that a huge INF costs no more than this.
constexpr std::streamoff kVersionScanBytes = 1 << 20;
constexpr size_t kMaxLineUnits = 1 << 16;

// One line at a time from an INF in either encoding, within the scanned bytes.
class InfLineReader {
 public:
  explicit InfLineReader(const std::filesystem::path& p) : in_(p, std::ios::binary) {
    if (!in_) return;
    const int b0 = in_.get(), b1 = in_.get();
    utf16_ = b0 == 0xFF && b1 == 0xFE;
    if (!utf16_) {
      in_.clear();
      in_.seekg(0);
      if (in_.get() != 0xEF || in_.get() != 0xBB || in_.get() != 0xBF) in_.seekg(0);  // no UTF-8 BOM
    }
  }
  bool Open() const { return in_.is_open(); }

  bool Next(WString& line) {
    line.clear();
    if (!in_.good()) return false;
    if (utf16_) {
      for (int lo, hi; Within() && (lo = Get()) != EOF && (hi = Get()) != EOF;) {
        const char16_t unit = char16_t(lo | (hi << 8));
        if (unit == u'\n') return true;
        if (line.size() < kMaxLineUnits) line.push_back(unit);
      }
      return !line.empty();
    }
    std::string bytes;
    bool any = false;
    for (int c; Within() && (c = Get()) != EOF;) {
      any = true;
      if (c == '\n') break;
      if (bytes.size() < kMaxLineUnits) bytes.push_back(char(c));
    }
    if (!any) return false;
    line = text::FromUtf8(bytes);
    return true;
  }

 private:
  bool Within() const { return read_ < kVersionScanBytes; }
  int Get() {
    ++read_;
    return in_.get();
  }

  std::ifstream in_;
  std::streamoff read_ = 0;  // bytes taken after the byte-order mark
  bool utf16_ = false;
};

WString Unquoted(WString s) {
  s = text::Trim(s);
  if (s.size() >= 2 && s.front() == u'"' && s.back() == u'"') s = s.substr(1, s.size() - 2);
  return s;
}

// The line without its comment (';' outside quotes).
WString WithoutComment(const WString& line) {
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == u'"') quoted = !quoted;
    if (line[i] == u';' && !quoted) return line.substr(0, i);
  }
  return line;
}

}  // namespace

std::optional<InfEntries> ReadInfVersion(const std::filesystem::path& inf) {
  InfLineReader reader(inf);
  if (!reader.Open()) return std::nullopt;
  InfEntries entries;
  bool inVersion = false;
  for (WString line; reader.Next(line);) {
    const WString content = text::Trim(WithoutComment(line));
    if (content.empty()) continue;
    if (content.front() == u'[') {
      if (inVersion) break;  // [Version] is done
      inVersion = text::EqualsIgnoreCase(content, u"[Version]");
      continue;
    }
    if (!inVersion) continue;
    const size_t equals = content.find(u'=');
    if (equals == WString::npos) continue;
    entries.emplace_back(text::Trim(content.substr(0, equals)), Unquoted(content.substr(equals + 1)));
  }
  return entries;
}

WString InfValue(const InfEntries& entries, WStringView key) {
  for (const auto& [name, value] : entries)
    if (text::EqualsIgnoreCase(name, key)) return value;
  return {};
}

}  // namespace offline
