#include "app/Drawing.h"

#include <stdexcept>
#include <string>

namespace drawing {

namespace {

constexpr uint32_t Opaque(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | b;
}

// Row r (0..7) of a right-pointing chevron, or column c of a down-pointing one:
// the stroke steps one pixel out towards the middle and back.
constexpr int ChevronOffset(int i) { return i < 4 ? i : 7 - i; }

// Each channel times 0.88, truncated.
view::Rgb GradientEnd(view::Rgb start) {
  auto scale = [](uint8_t c) { return uint8_t(int(c) * 88 / 100); };
  return {scale(start.r), scale(start.g), scale(start.b)};
}

}  // namespace

GlyphPixels ClassNodeGlyph(int index) {
  if (index < kGlyphCollapsed || index > kGlyphExpandedSelected)
    throw std::out_of_range("class-node glyph index " + std::to_string(index));
  GlyphPixels pixels{};
  const bool selected = index == kGlyphCollapsedSelected || index == kGlyphExpandedSelected;
  const bool expanded = index >= kGlyphExpanded;
  const uint32_t colour = selected ? Opaque(0, 0, 0) : expanded ? Opaque(159, 159, 159) : Opaque(160, 160, 160);
  for (int i = 0; i < 8; ++i) {
    for (int stroke = 0; stroke < 3; ++stroke) {
      const int along = ChevronOffset(i) + stroke;
      // Right-pointing: rows 4-11, columns 2-7. Down-pointing: columns 2-9, rows 6-11.
      const int x = expanded ? 2 + i : 2 + along;
      const int y = expanded ? 6 + along : 4 + i;
      pixels[y * 16 + x] = colour;
    }
  }
  return pixels;
}

TreeItemPaint DecideTreeItem(const TreeItemFacts& facts) {
  TreeItemPaint paint;
  if (!facts.carriesDevice) return paint;  // the root: the control draws it with its own button
  paint.drawnByControl = false;
  paint.textBackground = facts.selected ? view::Rgb{218, 234, 250} : facts.treeBackground;
  if (facts.hasChildren) {
    if (facts.expanded)
      paint.glyph = facts.selected ? kGlyphExpandedSelected : kGlyphExpanded;
    else
      paint.glyph = facts.selected ? kGlyphCollapsedSelected : kGlyphCollapsed;
    paint.glyphX = facts.fullRow.left + 22;
    paint.glyphY = facts.fullRow.top;
  }
  paint.icon = facts.deviceIconIndex;
  paint.iconX = facts.textRect.left;
  paint.iconY = facts.textRect.top;
  constexpr int kIconWidth = 16;
  paint.textRect = facts.textRect;
  paint.textRect.left += kIconWidth + facts.textGap;
  paint.textRect.right += kIconWidth + facts.textGap;
  return paint;
}

GridCellPaint DecideGridCell(GridKind grid, int row, const view::Rect& cell, int fontPoints) {
  GridCellPaint paint;
  const bool info = grid == GridKind::DeviceInfo;
  if (row == 0)
    paint.background = {214, 214, 214};
  else if (row % 2 == 1)
    paint.background = info ? view::Rgb{250, 250, 255} : view::Rgb{248, 248, 255};
  else
    paint.background = info ? view::Rgb{234, 234, 250} : view::Rgb{232, 232, 248};
  paint.textColour = {0, 0, 96};
  paint.fontPoints = fontPoints;
  paint.textX = cell.left + 3;
  paint.textY = cell.top + 1;
  return paint;
}

EmptyAreaPaint DecideEmptyArea(int cellsRight, int cellsBottom, int clientWidth, int clientHeight) {
  EmptyAreaPaint paint;
  paint.from = {250, 250, 255};
  paint.to = GradientEnd(paint.from);
  if (cellsRight < clientWidth) paint.rects.push_back({cellsRight, 0, clientWidth, clientHeight});
  if (cellsBottom < clientHeight) {
    const int right = cellsRight < clientWidth ? cellsRight : clientWidth;
    if (right > 0) paint.rects.push_back({0, cellsBottom, right, clientHeight});
  }
  return paint;
}

}  // namespace drawing
