#include "backup/TextFile.h"

#include <string>

#include "platform/FileHead.h"

namespace {

// Windows-1252 code points of bytes 0x80-0x9F (0 for the five unassigned ones,
// which keep their byte value as Windows does).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Well-formed lead and continuation bytes (overlong forms are not looked for).
bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
    if (extra == 4 || extra > s.size() - i - 1) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 0x2) return false;
    i += extra + 1;
  }
  return true;
}

WString FromUtf16(std::string_view bytes, bool bigEndian) {
  WString out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
    out.push_back(char16_t(lo | (hi << 8)));
  }
  return out;
}

WString FromCp1252(std::string_view bytes) {
  WString out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    out.push_back(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char16_t(c));
  }
  return out;
}

}  // namespace

WString DecodeText(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return FromUtf16(bytes.substr(2), false);
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return FromUtf16(bytes.substr(2), true);
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return text::FromUtf8(bytes.substr(3));
  if (IsValidUtf8(bytes)) return text::FromUtf8(bytes);
  return FromCp1252(bytes);
}

WString LoadTextFile(const WString& path) {
  const paths::FileHead head = paths::ReadFileHead(path);  // a huge INF costs its first MiBs only
  return head.Cut() ? DecodeText(head.bytes) + u"\r\n" + paths::CutNote(head) : DecodeText(head.bytes);
}
