#include "inf/InfFile.h"

#include <algorithm>
#include <cstdio>

namespace inf {
namespace {

constexpr size_t kMaxSectionName = 255;

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

int CompareIgnoreCase(WStringView a, WStringView b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const char16_t x = FoldAscii(a[i]), y = FoldAscii(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

WStringView TrimStart(WStringView s) {
  size_t i = 0;
  while (i < s.size() && s[i] <= u' ') ++i;
  return s.substr(i);
}

// FNV-1a over the key's upper-case UTF-16 units.
uint32_t KeyHash(WStringView key) {
  uint32_t h = 2166136261u;
  for (char16_t c : key) {
    c = FoldAscii(c);
    h = (h ^ (c & 0xFF)) * 16777619u;
    h = (h ^ (c >> 8)) * 16777619u;
  }
  return h;
}

WString Hex4(unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%04X", value & 0xFFFF);
  return text::W(buffer);
}

}  // namespace

InfFile::InfFile(const std::filesystem::path& file, const InfReadOptions& options) : path_(file) {
  InfTextReader reader(file, options.maxBytes);
  encoding_ = reader.Encoding();
  Load(reader);
  IndexSections();
  LoadStrings(options.languageId);
}

void InfFile::Load(InfTextReader& reader) {
  // Room for the whole text at once: growing by doubling would need up to three
  // times the text while the old buffer is copied.
  text_.reserve(size_t(reader.MaxUnits()));
  WString physical, logical;
  uint32_t number = 0;
  bool continuing = false;
  while (reader.NextLine(physical)) {
    WStringView content = WithoutComment(physical);
    if (!continuing) {
      logical.clear();
      number = reader.LineNumber();
    }
    continuing = !content.empty() && content.back() == u'\\';
    if (continuing) content.remove_suffix(1);
    logical += content;
    if (!continuing) AddLogicalLine(logical, number);
  }
  if (continuing) AddLogicalLine(logical, number);
}

void InfFile::AddLogicalLine(WStringView line, uint32_t number) {
  line = TrimStart(line);
  if (line.empty()) return;
  if (line.front() == u'[') return AddSection(line, number);
  if (sections_.empty()) throw Error(number, u"a line before the first section");
  lines_.push_back({uint32_t(text_.size()), number});
  text_ += line;
  sections_.back().endLine = uint32_t(lines_.size());
}

void InfFile::AddSection(WStringView header, uint32_t number) {
  const size_t close = header.find(u']');
  if (close == WStringView::npos) throw Error(number, u"a section name without its closing ']'");
  const WStringView name = header.substr(1, close - 1);
  if (name.size() > kMaxSectionName)
    throw Error(number, u"a section name longer than " + text::FromUInt(kMaxSectionName) + u" characters");
  sections_.push_back({uint32_t(names_.size()), uint32_t(name.size()), uint32_t(lines_.size()),
                       uint32_t(lines_.size())});
  names_ += name;
}

void InfFile::IndexSections() {
  sectionsByName_.resize(sections_.size());
  for (uint32_t i = 0; i < sections_.size(); ++i) sectionsByName_[i] = i;
  std::stable_sort(sectionsByName_.begin(), sectionsByName_.end(), [this](uint32_t a, uint32_t b) {
    return CompareIgnoreCase(SectionName(sections_[a]), SectionName(sections_[b])) < 0;
  });
}

void InfFile::LoadStrings(uint16_t languageId) {
  for (const WString& locale : {u"Strings." + Hex4(languageId), u"Strings." + Hex4(languageId & 0x3FF)}) {
    if (HasSection(locale)) {
      localeStrings_ = IndexStrings(locale);
      break;
    }
  }
  strings_ = IndexStrings(u"Strings");
}

std::vector<InfFile::StringRef> InfFile::IndexStrings(WStringView section) const {
  std::vector<StringRef> table;
  for (uint32_t part : Parts(section)) {
    for (uint32_t i = sections_[part].firstLine; i < sections_[part].endLine; ++i) {
      const InfLine line = ReadLine(i, false);
      if (line.hasKey) table.push_back({KeyHash(line.key), i});
    }
  }
  std::sort(table.begin(), table.end());
  table.shrink_to_fit();
  return table;
}

std::optional<WString> InfFile::FindString(const std::vector<StringRef>& table, WStringView key) const {
  const uint32_t hash = KeyHash(key);
  auto it = std::lower_bound(table.begin(), table.end(), StringRef{hash, 0});
  for (; it != table.end() && it->keyHash == hash; ++it) {  // in file order: the first line wins
    InfLine line = ReadLine(it->line, false);
    if (CompareIgnoreCase(line.key, key) == 0) return line.Field(1);
  }
  return std::nullopt;
}

WStringView InfFile::SectionName(const SectionRef& s) const {
  return WStringView(names_).substr(s.nameOffset, s.nameLength);
}

WStringView InfFile::LineText(size_t index) const {
  const size_t end = index + 1 < lines_.size() ? lines_[index + 1].offset : text_.size();
  return WStringView(text_).substr(lines_[index].offset, end - lines_[index].offset);
}

std::vector<uint32_t> InfFile::Parts(WStringView section) const {
  auto [first, last] = std::equal_range(
      sectionsByName_.begin(), sectionsByName_.end(), section, [this](const auto& a, const auto& b) {
        if constexpr (std::is_same_v<std::decay_t<decltype(a)>, uint32_t>)
          return CompareIgnoreCase(SectionName(sections_[a]), b) < 0;
        else
          return CompareIgnoreCase(a, SectionName(sections_[b])) < 0;
      });
  return std::vector<uint32_t>(first, last);
}

InfLine InfFile::ReadLine(size_t index, bool substitute) const {
  InfLine line = SplitLine(LineText(index));
  line.number = lines_[index].number;
  if (substitute) {
    line.key = Substitute(line.key);
    for (WString& field : line.fields) field = Substitute(field);
  }
  return line;
}

bool InfFile::HasSection(WStringView section) const { return !Parts(section).empty(); }

WStringList InfFile::SectionNames() const {
  WStringList names;
  for (const SectionRef& s : sections_) {
    const WStringView name = SectionName(s);
    const bool seen = std::any_of(names.begin(), names.end(),
                                  [&](const WString& n) { return CompareIgnoreCase(n, name) == 0; });
    if (!seen) names.emplace_back(name);
  }
  return names;
}

void InfFile::ForEachLine(WStringView section, const std::function<void(InfLine&)>& visit) const {
  for (uint32_t part : Parts(section)) {
    for (uint32_t i = sections_[part].firstLine; i < sections_[part].endLine; ++i) {
      InfLine line = ReadLine(i, true);
      visit(line);
    }
  }
}

std::vector<InfLine> InfFile::Lines(WStringView section) const {
  std::vector<InfLine> lines;
  ForEachLine(section, [&](InfLine& line) { lines.push_back(std::move(line)); });
  return lines;
}

std::optional<InfLine> InfFile::FindLine(WStringView section, WStringView key) const {
  for (uint32_t part : Parts(section)) {
    for (uint32_t i = sections_[part].firstLine; i < sections_[part].endLine; ++i) {
      InfLine line = ReadLine(i, true);
      if (line.hasKey && CompareIgnoreCase(line.key, key) == 0) return line;
    }
  }
  return std::nullopt;
}

WString InfFile::Value(WStringView section, WStringView key) const {
  const std::optional<InfLine> line = FindLine(section, key);
  return line ? line->Field(1) : WString();
}

std::optional<WString> InfFile::String(WStringView key) const {
  if (std::optional<WString> s = FindString(localeStrings_, key)) return s;
  return FindString(strings_, key);
}

WString InfFile::Substitute(WStringView raw) const {
  if (raw.find(u'%') == WStringView::npos) return WString(raw);
  WString out;
  size_t i = 0;
  while (i < raw.size()) {
    const size_t open = raw.find(u'%', i);
    const size_t close = open == WStringView::npos ? open : raw.find(u'%', open + 1);
    if (close == WStringView::npos) {
      out += raw.substr(i);
      break;
    }
    out += raw.substr(i, open - i);
    const WStringView key = raw.substr(open + 1, close - open - 1);
    if (key.empty()) {
      out += u'%';
    } else if (std::optional<WString> s = String(key)) {
      out += *s;
    } else {
      out += raw.substr(open, close - open + 1);
    }
    i = close + 1;
  }
  return out;
}

}  // namespace inf
