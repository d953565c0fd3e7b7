#include "archive/EntryNames.h"

#include <cstdio>

#include "archive/ArchiveReader.h"

namespace archive {
namespace {

bool IsDeviceName(WStringView part) {
  const WString base = text::UpperAscii(part.substr(0, part.find(u'.')));
  const WString stem = text::Trim(base);
  for (const char16_t* device : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"})
    if (stem == device) return true;
  if (stem.size() == 4 && (stem.starts_with(u"COM") || stem.starts_with(u"LPT"))) {
    const char16_t n = stem[3];
    return (n >= u'0' && n <= u'9') || n == u'\u00B9' || n == u'\u00B2' || n == u'\u00B3';
  }
  return false;
}

[[noreturn]] void Refuse(const WString& archive, const WString& name, const char16_t* why) {
  throw ArchiveError(Printable(archive) + u": the entry \"" + Printable(name) + u"\" " + why);
}

}  // namespace

WString Printable(WStringView s) {
  WString out;
  for (char16_t c : s) {
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", unsigned(c));
      out += text::W(buffer);
    } else {
      out += c;
    }
  }
  return out;
}

WStringList CheckedEntryPath(const WString& archive, const WString& name) {
  if (name.empty()) Refuse(archive, name, u"has no name");
  if (name.front() == u'/' || name.front() == u'\\') Refuse(archive, name, u"has an absolute path");
  if (name.find(u':') != WString::npos) Refuse(archive, name, u"has a drive letter or a ':'");
  for (char16_t c : name)
    if (c < 0x20 || c == 0x7F) Refuse(archive, name, u"has a control character");
  WStringList parts;
  size_t at = 0;
  while (at <= name.size()) {
    const size_t end = std::min(name.find_first_of(u"/\\", at), name.size());
    const WString part = name.substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == u".") continue;
    if (part == u"..") Refuse(archive, name, u"leaves the folder (\"..\")");
    if (IsDeviceName(part)) Refuse(archive, name, u"has a Windows device name");
    if (part.back() == u'.' || part.back() == u' ') Refuse(archive, name, u"has a part ending in a dot or a blank");
    parts.push_back(part);
  }
  if (parts.empty()) Refuse(archive, name, u"has no name");
  return parts;
}

}  // namespace archive
