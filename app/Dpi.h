// Lengths on real screens. Every length the windows name is a length at 96 pixels
// per inch; these turn it into device pixels at a window's DPI, exactly once.
#pragma once
#include "app/View.h"

namespace dpi {

constexpr int kBase = 96;  // the DPI the named lengths are measured at

// A 96-DPI length in device pixels at `dpi`, truncated (the form's ScaleToMonitor).
int Scale(int length, int dpi);

// Device pixels measured at `fromDpi` moved to `toDpi`, rounded to the nearest
// pixel: a length the user chose (a dragged splitter or column) keeps its
// proportion of the window when the window moves to another monitor.
int Rescale(int pixels, int fromDpi, int toDpi);

// Each edge of a 96-DPI rectangle scaled to `dpi`.
view::Rect Scale(const view::Rect& r, int dpi);

// The character height in pixels of a font of `points` at `dpi` (72 points an inch).
int PointsToPixels(int points, int dpi);

}  // namespace dpi
