// Drawing, mouse and keyboard decisions of the Win32 view's own controls: the
// flat buttons, the grids' user-resizable columns and the Tab order.
#pragma once
#include <vector>

#include "app/View.h"

namespace controls {

// ---------------------------------------------------------------- flat buttons

struct FlatButtonState {
  bool enabled = true;
  bool hot = false;      // the mouse is over it
  bool pressed = false;  // held down with the mouse or the Space key
  bool focused = false;  // has the keyboard focus
  bool showFocus = true; // the window shows keyboard cues (not hidden until the keyboard is used)
};

struct FlatButtonPaint {
  view::Rgb face;          // fills the button
  bool frame = false;      // a one-pixel frame in `frameColour`
  view::Rgb frameColour;
  view::Rgb textColour;    // caption centred both ways
  bool focusMark = false;  // a dotted focus rectangle inside the edge
};

// `background` is the colour of what the button sits on (white on the toolbar).
FlatButtonPaint DecideFlatButton(const FlatButtonState& state, view::Rgb background);

// The caption as DrawText takes it with `accessKey` underlined: '&' before the
// first letter equal to the key (ignoring case) and every '&' of the caption
// doubled. A key of 0, or one the caption lacks, underlines nothing.
WString CaptionWithAccessKey(const WString& caption, char16_t accessKey);

// Whether `typed` (a character typed with Alt) is `accessKey`, ignoring case.
bool IsAccessKey(char16_t typed, char16_t accessKey);

// Menus whose texts carry no access keys: the item a typed letter picks is the
// first whose text begins with it (ignoring case); -1 when none does.
int MenuItemForKey(const std::vector<WString>& texts, char16_t typed);

// ---------------------------------------------------------------- Tab order

// The control that Tab (forward) or Shift+Tab moves the focus to from `current`
// (-1: none of them has it), wrapping round and skipping those that cannot take
// the focus; -1 when none can.
int NextInTabOrder(const std::vector<bool>& focusable, int current, bool forward);

// ---------------------------------------------------------------- screen readers

// A grid row as a screen reader reads it: the first cell names it, the other cells
// are its value; the header row is named by all its cells.
struct RowSpeech {
  WString name;
  WString value;
};
RowSpeech SpeakRow(const std::vector<WString>& cells, bool header);

// ---------------------------------------------------------------- grid columns

constexpr int kColumnGrip = 3;     // pixels either side of a column edge that grab it (96 DPI)
constexpr int kMinColumnWidth = 8;  // 96 DPI

// The column whose right edge is within `grip` pixels of `x` (client x, with the
// grid scrolled `scrollX` pixels to the right), or -1. Only the header row grabs.
int ColumnEdgeAt(const std::vector<int>& colWidths, int x, int scrollX, int grip = kColumnGrip);

// The width of a column dragged by `delta` pixels, never below `minWidth`.
int DraggedColumnWidth(int startWidth, int delta, int minWidth = kMinColumnWidth);

}  // namespace controls
