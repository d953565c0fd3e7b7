#include "platform/HostPath.h"

#include <algorithm>

#include "platform/Errors.h"
#include "platform/Paths.h"

namespace paths {

#ifdef _WIN32
namespace {
bool IsAbsoluteDrivePath(const WString& p) {
  return p.size() >= 3 && p[1] == u':' && IsPathDelimiter(p[2]);
}
bool IsUncPath(const WString& p) { return p.size() >= 2 && p[0] == u'\\' && p[1] == u'\\'; }
// The plain form's limit: 260 characters with the terminating null, and a folder
// must leave room for an 8.3 name (12) below it.
constexpr size_t kLongPath = 260 - 12;
}  // namespace

std::filesystem::path HostPath(const WString& path) {
  if (path.rfind(u"\\\\?\\", 0) == 0) return text::ToPath(path);
  // Only a path too long for the plain form gets the prefix: msvcrt's stat, which
  // std::filesystem asks, answers "no such file" for any path holding '?'.
  if (path.size() < kLongPath) return text::ToPath(path);
  // The prefixed form takes no forward slashes and no relative components.
  WString normal = text::FromPath(std::filesystem::path(text::ToPath(path)).lexically_normal());
  std::replace(normal.begin(), normal.end(), u'/', u'\\');
  if (IsAbsoluteDrivePath(normal)) return text::ToPath(u"\\\\?\\" + normal);
  if (IsUncPath(normal)) return text::ToPath(u"\\\\?\\UNC\\" + normal.substr(2));
  return text::ToPath(path);
}

void CheckPathCharacters(const WString& path) {
  for (char16_t c : path)
    if (c < 32 || c == u'"' || c == u'<' || c == u'>' || c == u'|')
      throw QuillonError(u"Illegal characters in path: " + path);
}
#else
std::filesystem::path HostPath(const WString& path) { return text::ToPath(path); }

void CheckPathCharacters(const WString& path) {
  if (path.find(u'\0') != WString::npos) throw QuillonError(u"Illegal characters in path: " + path);
}
#endif

}  // namespace paths
