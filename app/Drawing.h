// Drawing decisions of the main window's owner-drawn controls, as plain values.
// The Win32 view paints exactly what these say; tests check them on Linux.
// (The progress bar's decisions are in app/ProgressFormUnit.h.)
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "app/View.h"

namespace drawing {

// ---------------------------------------------------------------- imgDevices glyphs

// The four fixed class-node glyphs of imgDevices, 16 x 16 at 96 DPI.
enum ClassGlyph : int {
  kGlyphCollapsed = 0,
  kGlyphCollapsedSelected = 1,
  kGlyphExpanded = 2,
  kGlyphExpandedSelected = 3,
};
constexpr int kFirstDeviceIcon = 4;  // the scan's icons start here
constexpr int kImageSize = 16;       // glyphs and device icons, 96-DPI pixels

// The side of imgDevices' square images at `dpi`.
int ImageSize(int dpi);

// 32-bit pixels 0xAARRGGBB, row by row from the top; 0 is transparent.
using GlyphPixels = std::vector<uint32_t>;
// A chevron with a 3-pixel stroke (at 96 DPI): right-pointing (0, 1) or
// down-pointing (2, 3), grey or, for the selected states, black; `size` x `size`
// pixels, the 16 x 16 design scaled to that size.
GlyphPixels ClassNodeGlyph(int index, int size = kImageSize);

// ---------------------------------------------------------------- tvDevices

struct TreeItemFacts {
  bool carriesDevice = false;  // root: false
  bool hasChildren = false;    // class node: true
  bool expanded = false;
  bool selected = false;
  view::Rect fullRow;          // the item's whole-row rectangle
  view::Rect textRect;         // the item's text rectangle
  view::Rgb treeBackground;
  int deviceIconIndex = -1;    // imgDevices index of the node's device's icon, -1 none
  int dpi = 96;                // the window's: every length below is scaled to it
};

struct TreeItemPaint {
  // True: the control draws the item itself (the root); nothing below applies.
  bool drawnByControl = true;
  view::Rgb textBackground;  // the text is drawn opaque on it
  int glyph = -1;            // imgDevices index of the expand glyph, -1 none
  int glyphX = 0, glyphY = 0;
  int icon = -1;             // imgDevices index of the device's icon, -1 none
  int iconX = 0, iconY = 0;
  view::Rect textRect;       // left- and top-aligned, one line, the tree's own font
};

TreeItemPaint DecideTreeItem(const TreeItemFacts& facts);

// ---------------------------------------------------------------- sgDeviceInfo, sgFiles

enum class GridKind { DeviceInfo, Files };

struct GridCellPaint {
  view::Rgb background;  // fills the whole cell
  view::Rgb textColour;
  int fontPoints = 9;
  int fontPixels = 12;       // the character height of fontPoints at the window's DPI
  int textX = 0, textY = 0;  // top-left of the cell text
};

// At the window's `dpi`. Selection and focus change nothing.
GridCellPaint DecideGridCell(GridKind grid, int row, const view::Rect& cell, int dpi);

// The grids' 96-DPI lengths.
constexpr int kGridRowHeight = 19;

// The client area a grid's cells leave free: right of the last column and below
// the last row. Each rectangle gets a horizontal gradient from `from` (left) to
// `to` (right).
struct EmptyAreaPaint {
  std::vector<view::Rect> rects;  // empty: the cells cover the client area
  view::Rgb from;
  view::Rgb to;
};

// cellsRight/cellsBottom: where the drawn cells end, in client coordinates.
EmptyAreaPaint DecideEmptyArea(int cellsRight, int cellsBottom, int clientWidth, int clientHeight);

}  // namespace drawing
