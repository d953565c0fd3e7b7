#include "platform/Text.h"

#include <algorithm>
#include <cstdio>

namespace text {

char32_t NextCodePoint(WStringView s, size_t& i) {
  char32_t c = s[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
    return 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
  if (c >= 0xD800 && c <= 0xDFFF) return 0xFFFD;
  return c;
}

std::string ToUtf8(WStringView s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const uint32_t c = NextCodePoint(s, i);
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

WString FromUtf8(std::string_view s) {
  WString out;
  out.reserve(s.size());
  size_t i = 0;
  auto bad = [&] { out += char16_t(0xFFFD); ++i; };
  while (i < s.size()) {
    unsigned char b = s[i];
    uint32_t c;
    size_t n;
    if (b < 0x80) { out += char16_t(b); ++i; continue; }
    if ((b & 0xE0) == 0xC0) { c = b & 0x1F; n = 1; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; n = 2; }
    else if ((b & 0xF8) == 0xF0) { c = b & 0x07; n = 3; }
    else { bad(); continue; }
    bool ok = true;
    for (size_t k = 1; k <= n; ++k) {
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    if (!ok || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) { bad(); continue; }
    i += n + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
  }
  return out;
}

std::filesystem::path ToPath(WStringView s) {
#ifdef _WIN32
  return std::filesystem::path(std::wstring(s.begin(), s.end()));
#else
  return std::filesystem::path(ToUtf8(s));
#endif
}

WString FromPath(const std::filesystem::path& p) {
#ifdef _WIN32
  const std::wstring& w = p.native();
  return WString(w.begin(), w.end());
#else
  return FromUtf8(p.native());
#endif
}

int CompareOrdinal(WStringView a, WStringView b) {
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

WString UpperAscii(WStringView s) {
  WString out(s);
  for (auto& c : out)
    if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  return out;
}

bool EqualsIgnoreCase(WStringView a, WStringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
    if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
    if (x != y) return false;
  }
  return true;
}

WString Trim(WStringView s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= 32) ++b;
  while (e > b && s[e - 1] <= 32) --e;
  return WString(s.substr(b, e - b));
}

WString UpToNul(const char16_t* s, size_t maxUnits) {
  size_t n = 0;
  while (n < maxUnits && s[n] != 0) ++n;
  return WString(s, n);
}

WString FromUInt(uint64_t v) { return W(std::to_string(v)); }
WString FromInt(int64_t v) { return W(std::to_string(v)); }

WString GuidToString(const winapi::Guid& g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return W(buf);
}

bool StringToGuid(WStringView s, winapi::Guid& out) {
  if (s.size() != 38 || s[0] != u'{' || s[37] != u'}') return false;
  auto hex = [&](size_t pos, size_t digits, uint64_t& v) {
    v = 0;
    for (size_t i = 0; i < digits; ++i) {
      char16_t c = s[pos + i];
      int d = (c >= u'0' && c <= u'9') ? c - u'0'
              : (c >= u'a' && c <= u'f') ? c - u'a' + 10
              : (c >= u'A' && c <= u'F') ? c - u'A' + 10 : -1;
      if (d < 0) return false;
      v = v * 16 + d;
    }
    return true;
  };
  if (s[9] != u'-' || s[14] != u'-' || s[19] != u'-' || s[24] != u'-') return false;
  uint64_t v;
  winapi::Guid g;
  if (!hex(1, 8, v)) return false;
  g.Data1 = uint32_t(v);
  if (!hex(10, 4, v)) return false;
  g.Data2 = uint16_t(v);
  if (!hex(15, 4, v)) return false;
  g.Data3 = uint16_t(v);
  const size_t pos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!hex(pos[i], 2, v)) return false;
    g.Data4[i] = uint8_t(v);
  }
  out = g;
  return true;
}

WString ReplaceAll(WStringView s, WStringView from, WStringView to) {
  if (from.empty()) return WString(s);
  WString out;
  size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, from.size(), from) == 0) {
      out += to;
      i += from.size();
    } else {
      out += s[i++];
    }
  }
  return out;
}

}  // namespace text
