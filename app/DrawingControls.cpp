#include "app/DrawingControls.h"

#include <algorithm>
#include <cstdlib>

namespace controls {

FlatButtonPaint DecideFlatButton(const FlatButtonState& state, view::Rgb background) {
  FlatButtonPaint paint;
  paint.face = background;
  paint.textColour = state.enabled ? view::Rgb{0, 0, 0} : view::Rgb{160, 160, 160};
  if (!state.enabled) return paint;  // a disabled button does not react to the mouse
  paint.focusMark = state.focused && state.showFocus;
  if (state.pressed) {
    paint.face = {204, 228, 247};
    paint.frame = true;
    paint.frameColour = {0, 84, 153};
  } else if (state.hot) {
    paint.face = {229, 241, 251};
    paint.frame = true;
    paint.frameColour = {0, 120, 215};
  }
  return paint;
}

namespace {
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }
}  // namespace

bool IsAccessKey(char16_t typed, char16_t accessKey) { return accessKey != 0 && Upper(typed) == Upper(accessKey); }

WString CaptionWithAccessKey(const WString& caption, char16_t accessKey) {
  WString out;
  bool marked = false;
  for (char16_t c : caption) {
    if (c == u'&') {
      out += u"&&";
      continue;
    }
    if (!marked && IsAccessKey(c, accessKey)) {
      out += u'&';
      marked = true;
    }
    out += c;
  }
  return out;
}

int MenuItemForKey(const std::vector<WString>& texts, char16_t typed) {
  for (size_t i = 0; i < texts.size(); ++i)
    if (!texts[i].empty() && IsAccessKey(typed, texts[i].front())) return int(i);
  return -1;
}

int NextInTabOrder(const std::vector<bool>& focusable, int current, bool forward) {
  const int count = int(focusable.size());
  if (count == 0) return -1;
  int index = current;
  if (index < 0 || index >= count) index = forward ? count - 1 : 0;  // the first step lands on an end
  for (int step = 0; step < count; ++step) {
    index = forward ? (index + 1) % count : (index + count - 1) % count;
    if (focusable[size_t(index)]) return index;
  }
  return -1;
}

RowSpeech SpeakRow(const std::vector<WString>& cells, bool header) {
  RowSpeech speech;
  if (cells.empty()) return speech;
  WString& rest = header ? speech.name : speech.value;
  if (!header) speech.name = cells.front();
  for (size_t i = header ? 0 : 1; i < cells.size(); ++i) {
    if (cells[i].empty()) continue;
    if (!rest.empty()) rest += u", ";
    rest += cells[i];
  }
  return speech;
}

int ColumnEdgeAt(const std::vector<int>& colWidths, int x, int scrollX, int grip) {
  int edge = -scrollX;
  for (size_t col = 0; col < colWidths.size(); ++col) {
    edge += colWidths[col];
    if (std::abs(x - edge) <= grip) return int(col);
  }
  return -1;
}

int DraggedColumnWidth(int startWidth, int delta, int minWidth) { return std::max(minWidth, startWidth + delta); }

}  // namespace controls
