// The physical lines of an INF file, decoded as Windows decodes them: UTF-16LE
// after its byte-order mark, UTF-8 after its mark, anything else in the ANSI code
// page (Windows-1252, the code page of the English and Western European systems).
// The file is read in small blocks and its size is capped: an INF on a disk being
// read may be hostile and huge.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Text.h"

namespace inf {

enum class InfEncoding { Ansi, Utf8, Utf16 };

class InfTextReader {
 public:
  // Raises InfError when the file cannot be opened or is larger than maxBytes.
  InfTextReader(const std::filesystem::path& file, uint64_t maxBytes);

  // The next line without its line break; false at the end of the file. Lines end
  // at LF; a CR before it is dropped.
  bool NextLine(WString& line);
  // The 1-based number of the line NextLine returned last.
  uint32_t LineNumber() const { return lineNumber_; }
  InfEncoding Encoding() const { return encoding_; }
  // The most UTF-16 units the file's text can decode to.
  uint64_t MaxUnits() const { return encoding_ == InfEncoding::Utf16 ? size_ / 2 : size_; }

 private:
  bool Fill();
  bool NextUnit(char16_t& unit);
  char16_t NextUtf8(uint8_t lead);
  bool NextByte(uint8_t& b);

  std::ifstream in_;
  std::string block_;
  size_t at_ = 0;
  InfEncoding encoding_ = InfEncoding::Ansi;
  char16_t pendingLowSurrogate_ = 0;
  uint32_t lineNumber_ = 0;
  uint64_t size_ = 0;
};

}  // namespace inf
