// A report kept as text, exactly as the Shell tab would show it: the rules of its
// line list are decided here once, for the window's rich-text boxes (both views)
// and for the command line's per-device reports alike.
#pragma once
#include "backup/Sinks.h"

namespace backup {

// What adding `line` appends to a text whose last character is `lastOfText` (u'\0'
// for an empty text): the line and its CR LF, after a CR LF of its own when the
// text does not end in a line break, since a new line starts after the last one's
// line break.
inline WString LineToAppend(const WString& line, char16_t lastOfText) {
  const bool needsBreak = lastOfText != u'\0' && lastOfText != u'\r' && lastOfText != u'\n';
  return (needsBreak ? WString(u"\r\n") : WString()) + line + u"\r\n";
}

// Report text as the Shell tab takes it: every CR CR pair collapsed to one CR.
inline WString ShellText(const WString& text) { return text::ReplaceAll(text, u"\r\r", u"\r"); }

class TReportText final : public IReportLog {
 public:
  void AddLine(const WString& line) override { text_ += LineToAppend(line, text_.empty() ? u'\0' : text_.back()); }
  void Append(const WString& text) override { text_ += ShellText(text); }
  const WString& Text() const { return text_; }

 private:
  WString text_;
};

}  // namespace backup
