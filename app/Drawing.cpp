#include "app/Drawing.h"

#include <stdexcept>
#include <string>

#include "app/Dpi.h"

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

int ImageSize(int dpi) { return dpi::Scale(kImageSize, dpi); }

GlyphPixels ClassNodeGlyph(int index, int size) {
  if (index < kGlyphCollapsed || index > kGlyphExpandedSelected)
    throw std::out_of_range("class-node glyph index " + std::to_string(index));
  if (size < 1) throw std::out_of_range("class-node glyph size " + std::to_string(size));
  const bool selected = index == kGlyphCollapsedSelected || index == kGlyphExpandedSelected;
  const bool expanded = index >= kGlyphExpanded;
  const uint32_t colour = selected ? Opaque(0, 0, 0) : expanded ? Opaque(159, 159, 159) : Opaque(160, 160, 160);
  std::array<bool, kImageSize * kImageSize> design{};
  for (int i = 0; i < 8; ++i) {
    for (int stroke = 0; stroke < 3; ++stroke) {
      const int along = ChevronOffset(i) + stroke;
      // Right-pointing: rows 4-11, columns 2-7. Down-pointing: columns 2-9, rows 6-11.
      const int x = expanded ? 2 + i : 2 + along;
      const int y = expanded ? 6 + along : 4 + i;
      design[size_t(y * kImageSize + x)] = true;
    }
  }
  // Each pixel of the scaled glyph takes the design pixel under its centre.
  GlyphPixels pixels(size_t(size) * size, 0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (design[size_t(((2 * y + 1) * kImageSize / (2 * size)) * kImageSize + (2 * x + 1) * kImageSize / (2 * size))])
        pixels[size_t(y) * size + x] = colour;
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
    paint.glyphX = facts.fullRow.left + dpi::Scale(22, facts.dpi);
    paint.glyphY = facts.fullRow.top;
  }
  paint.icon = facts.deviceIconIndex;
  paint.iconX = facts.textRect.left;
  paint.iconY = facts.textRect.top;
  const int shift = ImageSize(facts.dpi) + dpi::Scale(6, facts.dpi);
  paint.textRect = facts.textRect;
  paint.textRect.left += shift;
  paint.textRect.right += shift;
  return paint;
}

GridCellPaint DecideGridCell(GridKind grid, int row, const view::Rect& cell, int dpi) {
  GridCellPaint paint;
  const bool info = grid == GridKind::DeviceInfo;
  if (row == 0)
    paint.background = {214, 214, 214};
  else if (row % 2 == 1)
    paint.background = info ? view::Rgb{250, 250, 255} : view::Rgb{248, 248, 255};
  else
    paint.background = info ? view::Rgb{234, 234, 250} : view::Rgb{232, 232, 248};
  paint.textColour = {0, 0, 96};
  // 9 points at the window's DPI: the point size is not scaled again.
  paint.fontPoints = 9;
  paint.fontPixels = dpi::PointsToPixels(paint.fontPoints, dpi);
  paint.textX = cell.left + dpi::Scale(3, dpi);
  paint.textY = cell.top + dpi::Scale(1, dpi);
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
