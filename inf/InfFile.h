// An INF file read as SetupAPI reads it: sections (case-insensitive names; a
// section written twice is one section), lines with key and fields, ';' comments,
// '\' at the end of a line continuing it, and %strkey% replaced by the string of
// the locale's [Strings.LLLL] section or of [Strings] ("%%" is one '%'). The text
// is held once, without comments; lines are split into fields when a section is
// asked for.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "inf/InfError.h"
#include "inf/InfLine.h"
#include "inf/InfText.h"

namespace inf {

struct InfReadOptions {
  // The locale whose [Strings.LLLL] section is read first (0x0409: English, United States).
  uint16_t languageId = 0x0409;
  // Larger files are refused: a hostile disk may hold an INF of any size.
  uint64_t maxBytes = uint64_t(64) << 20;
};

class InfFile {
 public:
  // Reads the whole file. Raises InfError naming the file (and the line) when it
  // cannot be read, is too large, or holds what SetupAPI refuses: a line before the
  // first section, a section name without ']' or longer than 255 characters.
  explicit InfFile(const std::filesystem::path& file, const InfReadOptions& options = {});

  const std::filesystem::path& Path() const { return path_; }
  InfEncoding Encoding() const { return encoding_; }

  bool HasSection(WStringView section) const;
  // The section's names as written, in the order of first appearance.
  WStringList SectionNames() const;
  // The section's lines with their strings substituted; none when it is absent.
  std::vector<InfLine> Lines(WStringView section) const;
  // The same lines one at a time, none of them kept: a models section may be large.
  void ForEachLine(WStringView section, const std::function<void(InfLine&)>& visit) const;
  // The first line of the section whose key is `key` (case-insensitive).
  std::optional<InfLine> FindLine(WStringView section, WStringView key) const;
  // The first field of that line; empty when there is none.
  WString Value(WStringView section, WStringView key) const;

  // `raw` with every %strkey% replaced by its string and %% by %; a key with no
  // string (such as a directory id, %10%) stays as written.
  WString Substitute(WStringView raw) const;
  // The string of `key` in the locale's section or else in [Strings].
  std::optional<WString> String(WStringView key) const;

  // An error about this file at `line`.
  InfError Error(uint32_t line, const WString& cause) const { return InfError(path_, line, cause); }

 private:
  struct LineRef {
    uint32_t offset;  // into text_; the line ends where the next begins
    uint32_t number;
  };
  struct SectionRef {
    uint32_t nameOffset, nameLength;  // into names_
    uint32_t firstLine, endLine;      // into lines_
  };
  // A [Strings] line by the hash of its upper-case key: 8 bytes a string, so
  // that a hostile INF of tiny strings cannot make the table outgrow the text.
  struct StringRef {
    uint32_t keyHash, line;
    auto operator<=>(const StringRef&) const = default;
  };

  void Load(InfTextReader& reader);
  void AddLogicalLine(WStringView line, uint32_t number);
  void AddSection(WStringView header, uint32_t number);
  void IndexSections();
  void LoadStrings(uint16_t languageId);
  WStringView SectionName(const SectionRef& s) const;
  WStringView LineText(size_t index) const;
  // The indexes into sections_ of every part of `section`, in file order.
  std::vector<uint32_t> Parts(WStringView section) const;
  InfLine ReadLine(size_t index, bool substitute) const;
  std::vector<StringRef> IndexStrings(WStringView section) const;
  std::optional<WString> FindString(const std::vector<StringRef>& table, WStringView key) const;

  std::filesystem::path path_;
  InfEncoding encoding_ = InfEncoding::Ansi;
  WString text_;   // the lines, without comments and line breaks
  WString names_;  // the section names
  std::vector<LineRef> lines_;
  std::vector<SectionRef> sections_;
  std::vector<uint32_t> sectionsByName_;  // sections_ sorted by upper-case name, then file order
  std::vector<StringRef> localeStrings_, strings_;  // each sorted by hash, then line
};

}  // namespace inf
