// Rules of the rich-text boxes' line list that both views (the Win32 controls and
// the in-memory view) follow, decided once here so that they cannot differ.
#pragma once
#include "platform/Text.h"

namespace view {

// What adding `line` appends to a text whose last character is `lastOfText` (u'\0'
// for an empty text): the line and its CR LF, after a CR LF of its own when the
// text does not end in a line break, since a new line starts after the last one's
// line break.
inline WString LineToAppend(const WString& line, char16_t lastOfText) {
  const bool needsBreak = lastOfText != u'\0' && lastOfText != u'\r' && lastOfText != u'\n';
  return (needsBreak ? WString(u"\r\n") : WString()) + line + u"\r\n";
}

}  // namespace view
