// machine.ini: sections of key=value lines. A line without '=' is a key with an
// empty value (the [absent] section lists one instance id a line).
#include <algorithm>

#include "platform/offline/Machine.h"

namespace offline {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto up = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; };
           return up(x) == up(y);
         });
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<std::string> Ini::Get(std::string_view section, std::string_view key) const {
  for (const auto& [name, entries] : sections_) {
    if (!SameName(name, section)) continue;
    for (const auto& [k, v] : entries)
      if (SameName(k, key)) return v;
  }
  return std::nullopt;
}

std::string Ini::GetOr(std::string_view section, std::string_view key, std::string fallback) const {
  auto v = Get(section, key);
  return v ? *v : std::move(fallback);
}

std::vector<std::pair<std::string, std::string>> Ini::Section(std::string_view section) const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& [name, entries] : sections_)
    if (SameName(name, section)) out.insert(out.end(), entries.begin(), entries.end());
  return out;
}

void Ini::Set(std::string_view section, std::string_view key, std::string value) {
  auto sec = std::find_if(sections_.begin(), sections_.end(), [&](const auto& s) { return SameName(s.first, section); });
  if (sec == sections_.end()) {
    sections_.emplace_back(std::string(section), std::vector<std::pair<std::string, std::string>>{});
    sec = sections_.end() - 1;
  }
  for (auto& [k, v] : sec->second)
    if (SameName(k, key)) {
      v = std::move(value);
      return;
    }
  sec->second.emplace_back(std::string(key), std::move(value));
}

Ini Ini::Parse(std::string_view content, const std::string& fileNameForErrors) {
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  Ini ini;
  std::string section;
  size_t lineNo = 0;
  auto fail = [&](const std::string& problem) {
    throw MachineError(fileNameForErrors + ":" + std::to_string(lineNo) + ": " + problem);
  };
  while (!content.empty()) {
    ++lineNo;
    size_t end = content.find('\n');
    std::string_view line = TrimBlanks(content.substr(0, end));
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') fail("section header without ']'");
      section = std::string(TrimBlanks(line.substr(1, line.size() - 2)));
      if (section.empty()) fail("empty section name");
      // Recorded even when it stays empty.
      bool known = std::any_of(ini.sections_.begin(), ini.sections_.end(),
                               [&](const auto& s) { return SameName(s.first, section); });
      if (!known) ini.sections_.emplace_back(section, std::vector<std::pair<std::string, std::string>>{});
      continue;
    }
    if (section.empty()) fail("entry outside a section");
    size_t eq = line.find('=');
    std::string_view key = TrimBlanks(line.substr(0, eq));
    std::string_view value = eq == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(eq + 1));
    if (key.empty()) fail("entry without a name");
    ini.Set(section, key, std::string(value));
  }
  return ini;
}

}  // namespace offline
