#include "inf/InfLine.h"

namespace inf {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f'; }

// Collects one field: blanks are held back until more text follows them, so that
// the blanks at either end of an unquoted run are dropped.
class FieldBuilder {
 public:
  void Text(char16_t c) {
    if (IsBlank(c)) {
      if (started_) pending_.push_back(c);
      return;
    }
    Flush();
    value_.push_back(c);
  }
  void QuotedText(char16_t c) {
    Flush();
    value_.push_back(c);
  }
  void Quote() {
    Flush();
    started_ = true;
  }
  WString Take() {
    WString v = std::move(value_);
    value_.clear();
    pending_.clear();
    started_ = false;
    return v;
  }

 private:
  void Flush() {
    value_ += pending_;
    pending_.clear();
    started_ = true;
  }
  WString value_, pending_;
  bool started_ = false;
};

}  // namespace

WString InfLine::Field(size_t index) const {
  if (index == 0) return hasKey ? key : WString();
  return index <= fields.size() ? fields[index - 1] : WString();
}

InfLine SplitLine(WStringView text) {
  InfLine line;
  FieldBuilder field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
        field.QuotedText(u'"');
        ++i;
      } else {
        quoted = !quoted;
        field.Quote();
      }
    } else if (quoted) {
      field.QuotedText(c);
    } else if (c == u'=' && !line.hasKey && line.fields.empty()) {
      line.hasKey = true;
      line.key = field.Take();
    } else if (c == u',') {
      line.fields.push_back(field.Take());
    } else {
      field.Text(c);
    }
  }
  line.fields.push_back(field.Take());  // "key =" has one empty field, as in SetupAPI
  return line;
}

WStringView WithoutComment(WStringView line) {
  bool quoted = false;
  size_t end = line.size();
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == u'"') quoted = !quoted;
    if (line[i] == u';' && !quoted) {
      end = i;
      break;
    }
  }
  while (end > 0 && IsBlank(line[end - 1])) --end;
  return line.substr(0, end);
}

}  // namespace inf
