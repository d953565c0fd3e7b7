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

// The four fixed 16 x 16 class-node glyphs of imgDevices.
enum ClassGlyph : int {
  kGlyphCollapsed = 0,
  kGlyphCollapsedSelected = 1,
  kGlyphExpanded = 2,
  kGlyphExpandedSelected = 3,
};
constexpr int kFirstDeviceIcon = 4;  // the scan's icons start here

// 32-bit pixels 0xAARRGGBB, row by row from the top; 0 is transparent.
using GlyphPixels = std::array<uint32_t, 16 * 16>;
// A chevron with a 3-pixel stroke: right-pointing (0, 1) or down-pointing (2, 3),
// grey or, for the selected states, black.
GlyphPixels ClassNodeGlyph(int index);

// ---------------------------------------------------------------- tvDevices

struct TreeItemFacts {
  bool carriesDevice = false;  // root: false
  bool hasChildren = false;    // class node: true
  bool expanded = false;
  bool selected = false;
  view::Rect fullRow;          // the item's whole-row rectangle
  view::Rect textRect;         // the item's text rectangle
  view::Rgb treeBackground;
  int deviceIconIndex = 0;     // ClassIconIndex of the node's device
  int textGap = 6;             // ScaleToMonitor(6)
};

struct TreeItemPaint {
  // True: the control draws the item itself (the root); nothing below applies.
  bool drawnByControl = true;
  view::Rgb textBackground;  // the text is drawn opaque on it
  int glyph = -1;            // imgDevices index of the expand glyph, -1 none
  int glyphX = 0, glyphY = 0;
  int icon = 0;              // imgDevices index of the device's icon
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
  int textX = 0, textY = 0;  // top-left of the cell text
};

// `fontPoints` is the form's ScaleToMonitor(9). Selection and focus change nothing.
GridCellPaint DecideGridCell(GridKind grid, int row, const view::Rect& cell, int fontPoints);

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
