// Drawing and mouse decisions of the Win32 view's own controls: the flat
// buttons and the grids' user-resizable columns.
#pragma once
#include <vector>

#include "app/View.h"

namespace controls {

// ---------------------------------------------------------------- flat buttons

struct FlatButtonState {
  bool enabled = true;
  bool hot = false;      // the mouse is over it
  bool pressed = false;  // held down with the mouse over it
};

struct FlatButtonPaint {
  view::Rgb face;          // fills the button
  bool frame = false;      // a one-pixel frame in `frameColour`
  view::Rgb frameColour;
  view::Rgb textColour;    // caption centred both ways
};

// `background` is the colour of what the button sits on (white on the toolbar).
FlatButtonPaint DecideFlatButton(const FlatButtonState& state, view::Rgb background);

// ---------------------------------------------------------------- grid columns

constexpr int kColumnGrip = 3;     // pixels either side of a column edge that grab it
constexpr int kMinColumnWidth = 8;

// The column whose right edge is within kColumnGrip of `x` (client x, with the grid
// scrolled `scrollX` pixels to the right), or -1. Only the header row grabs.
int ColumnEdgeAt(const std::vector<int>& colWidths, int x, int scrollX);

// The width of a column dragged by `delta` pixels.
int DraggedColumnWidth(int startWidth, int delta);

}  // namespace controls
