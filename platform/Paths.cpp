#include "platform/Paths.h"

#include <filesystem>
#include <iterator>
#include <system_error>

#include "platform/FileOps.h"

namespace paths {

bool IsPathDelimiter(char16_t c) {
#ifdef _WIN32
  return c == u'\\' || c == u'/';
#else
  return c == u'/';
#endif
}

WString IncludeTrailingPathDelimiter(WStringView p) {
  WString out(p);
  if (out.empty() || !IsPathDelimiter(out.back())) out += kPathDelim;
  return out;
}

WString ExcludeTrailingPathDelimiter(WStringView p) {
  WString out(p);
  while (out.size() > 1 && IsPathDelimiter(out.back())) out.pop_back();
  return out;
}

static size_t NamePosition(WStringView p) {
  size_t i = p.size();
  while (i > 0) {
    char16_t c = p[i - 1];
    if (IsPathDelimiter(c)) break;
#ifdef _WIN32
    if (c == u':') break;
#endif
    --i;
  }
  return i;
}

WString ExtractFilePath(WStringView p) { return WString(p.substr(0, NamePosition(p))); }
WString ExtractFileName(WStringView p) { return WString(p.substr(NamePosition(p))); }

WString ExtractFileExt(WStringView p) {
  WString name = ExtractFileName(p);
  size_t dot = name.rfind(u'.');
  return dot == WString::npos ? WString() : name.substr(dot);
}

WString ChangeFileExt(WStringView p, WStringView ext) {
  size_t namePos = NamePosition(p);
  size_t dot = p.rfind(u'.');
  WString base(dot == WString::npos || dot < namePos ? p : p.substr(0, dot));
  return base + WString(ext);
}

WString Join(WStringView a, WStringView b) {
  if (a.empty()) return WString(b);
  size_t skip = 0;
  while (skip < b.size() && IsPathDelimiter(b[skip])) ++skip;
  return IncludeTrailingPathDelimiter(a) + WString(b.substr(skip));
}

static char16_t Fold(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

static bool Match(WStringView name, WStringView mask) {
  // Iterative wildcard match with back-tracking to the last '*'.
  size_t n = 0, m = 0, star = WString::npos, mark = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == u'?' || Fold(mask[m]) == Fold(name[n]))) {
      ++n; ++m;
    } else if (m < mask.size() && mask[m] == u'*') {
      star = m++;
      mark = n;
    } else if (star != WString::npos) {
      m = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == u'*') ++m;
  return m == mask.size();
}

bool MatchesMask(WStringView name, WStringView mask) {
  // "*.*" and masks ending in ".*" also match names without a dot (Windows rule).
  if (mask.size() >= 2 && mask.substr(mask.size() - 2) == u".*") {
    if (Match(name, mask.substr(0, mask.size() - 2))) return true;
  }
  return Match(name, mask);
}

bool IsInsideFolder(const WString& inner, const WString& outer) {
  const std::filesystem::path in = text::ToPath(inner).lexically_normal(), out = text::ToPath(outer).lexically_normal();
  auto same = [](const std::filesystem::path& a, const std::filesystem::path& b) {
#ifdef _WIN32
    return text::EqualsIgnoreCase(text::FromPath(a), text::FromPath(b));
#else
    return a == b;
#endif
  };
  auto o = out.begin(), i = in.begin();
  for (; o != out.end(); ++o, ++i) {
    if (o->empty() && std::next(o) == out.end()) break;  // "dir/" ends in an empty name
    if (i == in.end() || !same(*o, *i)) return false;
  }
  return true;
}

bool FileExists(WStringView p) { return !p.empty() && IsFile(WString(p)); }

bool DirectoryExists(WStringView p) { return !p.empty() && IsFolder(WString(p)); }

}  // namespace paths
