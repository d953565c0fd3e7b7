#include "app/DrawingControls.h"

#include <algorithm>
#include <cstdlib>

namespace controls {

FlatButtonPaint DecideFlatButton(const FlatButtonState& state, view::Rgb background) {
  FlatButtonPaint paint;
  paint.face = background;
  paint.textColour = state.enabled ? view::Rgb{0, 0, 0} : view::Rgb{160, 160, 160};
  if (!state.enabled) return paint;  // a disabled button does not react to the mouse
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

int ColumnEdgeAt(const std::vector<int>& colWidths, int x, int scrollX) {
  int edge = -scrollX;
  for (size_t col = 0; col < colWidths.size(); ++col) {
    edge += colWidths[col];
    if (std::abs(x - edge) <= kColumnGrip) return int(col);
  }
  return -1;
}

int DraggedColumnWidth(int startWidth, int delta) { return std::max(kMinColumnWidth, startWidth + delta); }

}  // namespace controls
