#include "inf/InfText.h"

#include "inf/InfError.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"

namespace inf {
namespace {

constexpr size_t kBlockBytes = 64 * 1024;

// Windows-1252 at 0x80..0x9F; the other bytes are their own code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char16_t FromAnsi(uint8_t b) { return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b); }

}  // namespace

InfTextReader::InfTextReader(const std::filesystem::path& file, uint64_t maxBytes) {
  std::error_code ec;
  const uint64_t size = paths::FileSize(text::FromPath(file), ec);
  if (ec) throw InfError(file, 0, FileErrorText(ec));
  if (size > maxBytes)
    throw InfError(file, 0, u"the file has " + text::FromUInt(size) + u" bytes, more than the " +
                                text::FromUInt(maxBytes) + u" an INF may have");
  size_ = size;
  in_.open(file, std::ios::binary);
  if (!in_) throw InfError(file, 0, FileErrorText(errno));
  Fill();
  auto startsWith = [&](std::string_view mark) { return block_.compare(0, mark.size(), mark) == 0; };
  if (startsWith("\xFF\xFE")) {
    encoding_ = InfEncoding::Utf16;
    at_ = 2;
  } else if (startsWith("\xEF\xBB\xBF")) {
    encoding_ = InfEncoding::Utf8;
    at_ = 3;
  }
}

bool InfTextReader::Fill() {
  block_.resize(kBlockBytes);
  in_.read(block_.data(), std::streamsize(block_.size()));
  block_.resize(size_t(in_.gcount()));
  at_ = 0;
  return !block_.empty();
}

bool InfTextReader::NextByte(uint8_t& b) {
  if (at_ == block_.size() && !Fill()) return false;
  b = uint8_t(block_[at_++]);
  return true;
}

char16_t InfTextReader::NextUtf8(uint8_t lead) {
  int more = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
  if (lead >= 0xF5 || more < 0) return 0xFFFD;
  char32_t c = lead & (0x3F >> more);
  for (; more > 0; --more) {
    uint8_t b;
    if (at_ == block_.size() && !Fill()) return 0xFFFD;
    b = uint8_t(block_[at_]);
    if ((b & 0xC0) != 0x80) return 0xFFFD;  // the byte starts the next character
    ++at_;
    c = (c << 6) | (b & 0x3F);
  }
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return 0xFFFD;
  if (c < 0x10000) return char16_t(c);
  c -= 0x10000;
  pendingLowSurrogate_ = char16_t(0xDC00 + (c & 0x3FF));
  return char16_t(0xD800 + (c >> 10));
}

bool InfTextReader::NextUnit(char16_t& unit) {
  if (pendingLowSurrogate_) {
    unit = pendingLowSurrogate_;
    pendingLowSurrogate_ = 0;
    return true;
  }
  uint8_t b;
  if (!NextByte(b)) return false;
  switch (encoding_) {
    case InfEncoding::Utf16: {
      uint8_t high;
      if (!NextByte(high)) return false;  // an odd last byte is no character
      unit = char16_t(b | high << 8);
      return true;
    }
    case InfEncoding::Utf8:
      unit = b < 0x80 ? char16_t(b) : NextUtf8(b);
      return true;
    case InfEncoding::Ansi:
      unit = FromAnsi(b);
      return true;
  }
  return false;
}

bool InfTextReader::NextLine(WString& line) {
  line.clear();
  char16_t unit;
  bool any = false;
  while (NextUnit(unit)) {
    any = true;
    if (unit == u'\n') break;
    line.push_back(unit);
  }
  if (!any) return false;
  if (!line.empty() && line.back() == u'\r') line.pop_back();
  ++lineNumber_;
  return true;
}

}  // namespace inf
