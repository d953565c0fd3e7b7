// One line of an INF section: its key (the text before an unquoted '='), and its
// fields (the comma-separated values), as SetupAPI's string fields return them.
#pragma once
#include <cstdint>

#include "platform/Text.h"

namespace inf {

struct InfLine {
  uint32_t number = 0;  // the 1-based number of the line (the first line of a continued one)
  bool hasKey = false;
  WString key;
  WStringList fields;

  // Field `index` as SetupGetStringField numbers them: 0 is the key, 1 the first
  // value. Empty when the line has no such field.
  WString Field(size_t index) const;
};

// Splits the text of a logical line (comments and continuations already
// removed) into key and fields: blanks around unquoted text are dropped; a quoted
// run keeps its blanks, commas, '=' and ';'; "" inside quotes is one quote.
// `%…%` is left as written (see InfFile::Substitute).
InfLine SplitLine(WStringView text);

// The text before an unquoted ';' (a comment), without the blanks before it.
WStringView WithoutComment(WStringView line);

}  // namespace inf
