#include "platform/offline/IndirectString.h"

#include <vector>

namespace offline {

namespace {

// "%1".."%9" replaced by the arguments; a number without an argument stays.
WString Substitute(WStringView format, const std::vector<WString>& arguments) {
  WString out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] >= u'1' && format[i + 1] <= u'9') {
      const size_t n = size_t(format[i + 1] - u'1');
      if (n < arguments.size()) {
        out += arguments[n];
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

// "Text;(a,b,c)" -> Text with %1 %2 %3 substituted; "Text" stays.
WString WithArguments(WStringView text) {
  const size_t open = text.rfind(u";(");
  if (open == WStringView::npos || text.back() != u')') return WString(text);
  std::vector<WString> arguments;
  WStringView list = text.substr(open + 2, text.size() - open - 3);
  for (size_t start = 0;;) {
    const size_t comma = list.find(u',', start);
    arguments.emplace_back(list.substr(start, comma == WStringView::npos ? WStringView::npos : comma - start));
    if (comma == WStringView::npos) break;
    start = comma + 1;
  }
  return Substitute(text.substr(0, open), arguments);
}

// "file,-123" -> file and 123; nullopt for an INF reference ("file,%key%").
std::optional<std::pair<WString, uint32_t>> DllReference(WStringView reference) {
  const size_t comma = reference.rfind(u',');
  if (comma == WStringView::npos || comma + 2 >= reference.size() + 1 || reference[comma + 1] != u'-')
    return std::nullopt;
  uint32_t id = 0;
  WStringView digits = reference.substr(comma + 2);
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return std::nullopt;
    id = id * 10 + uint32_t(c - u'0');
  }
  return std::pair{WString(reference.substr(0, comma)), id};
}

}  // namespace

std::optional<WString> ResolveIndirectString(WStringView stored, const StringLoader& loadString) {
  if (stored.empty() || stored.front() != u'@') return WString(stored);
  const size_t semicolon = stored.find(u';');
  const WStringView reference = stored.substr(1, semicolon == WStringView::npos ? WStringView::npos : semicolon - 1);
  if (auto dll = DllReference(reference); dll && loadString) {
    if (std::optional<WString> loaded = loadString(dll->first, dll->second)) return *loaded;
  }
  if (semicolon == WStringView::npos) return std::nullopt;
  return WithArguments(stored.substr(semicolon + 1));
}

}  // namespace offline
