#include <gtest/gtest.h>

#include <set>

#include "app/Drawing.h"
#include "backup/TextFile.h"
#include "platform/Errors.h"

namespace {

// The bounding box and the colours a glyph uses.
struct GlyphShape {
  int left = 16, top = 16, right = -1, bottom = -1;
  std::set<uint32_t> colours;
};
GlyphShape Shape(const drawing::GlyphPixels& p) {
  GlyphShape s;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (uint32_t c = p[size_t(y * 16 + x)]) {
        s.left = std::min(s.left, x), s.right = std::max(s.right, x);
        s.top = std::min(s.top, y), s.bottom = std::max(s.bottom, y);
        s.colours.insert(c);
      }
  return s;
}

TEST(ClassNodeGlyphs, ChevronsSitWhereTheTreeExpectsThem) {
  const GlyphShape collapsed = Shape(drawing::ClassNodeGlyph(0));
  EXPECT_EQ(std::vector<int>({collapsed.left, collapsed.right, collapsed.top, collapsed.bottom}),
            std::vector<int>({2, 7, 4, 11}));
  EXPECT_EQ(collapsed.colours, std::set<uint32_t>{0xFFA0A0A0u});
  const GlyphShape expanded = Shape(drawing::ClassNodeGlyph(2));
  EXPECT_EQ(std::vector<int>({expanded.left, expanded.right, expanded.top, expanded.bottom}),
            std::vector<int>({2, 9, 6, 11}));
  EXPECT_EQ(expanded.colours, std::set<uint32_t>{0xFF9F9F9Fu});
  EXPECT_EQ(Shape(drawing::ClassNodeGlyph(1)).colours, std::set<uint32_t>{0xFF000000u});
  EXPECT_EQ(Shape(drawing::ClassNodeGlyph(3)).colours, std::set<uint32_t>{0xFF000000u});
  EXPECT_THROW(drawing::ClassNodeGlyph(4), std::out_of_range);
}

TEST(ClassNodeGlyphs, StrokeIsThreePixelsWide) {
  const auto p = drawing::ClassNodeGlyph(0);
  for (int y = 4; y <= 11; ++y) {
    int run = 0;
    for (int x = 0; x < 16; ++x) run += p[size_t(y * 16 + x)] != 0;
    EXPECT_EQ(run, 3) << "row " << y;
  }
}

TEST(GridCells, RowsAlternateWithTheGridsOwnColours) {
  const view::Rect cell{100, 38, 250, 57};
  using drawing::GridKind;
  EXPECT_EQ(drawing::DecideGridCell(GridKind::DeviceInfo, 0, cell, 96).background, (view::Rgb{214, 214, 214}));
  EXPECT_EQ(drawing::DecideGridCell(GridKind::DeviceInfo, 1, cell, 96).background, (view::Rgb{250, 250, 255}));
  EXPECT_EQ(drawing::DecideGridCell(GridKind::DeviceInfo, 2, cell, 96).background, (view::Rgb{234, 234, 250}));
  EXPECT_EQ(drawing::DecideGridCell(GridKind::Files, 3, cell, 96).background, (view::Rgb{248, 248, 255}));
  EXPECT_EQ(drawing::DecideGridCell(GridKind::Files, 4, cell, 96).background, (view::Rgb{232, 232, 248}));
  const auto paint = drawing::DecideGridCell(GridKind::Files, 4, cell, 96);
  EXPECT_EQ(paint.textColour, (view::Rgb{0, 0, 96}));
  EXPECT_EQ(paint.fontPoints, 9);
  EXPECT_EQ(paint.fontPixels, 12);
  EXPECT_EQ(std::make_pair(paint.textX, paint.textY), std::make_pair(103, 39));
}

TEST(GridEmptyArea, FillsRightAndBelowTheCellsWithTheGradient) {
  const auto paint = drawing::DecideEmptyArea(300, 95, 400, 200);
  EXPECT_EQ(paint.from, (view::Rgb{250, 250, 255}));
  EXPECT_EQ(paint.to, (view::Rgb{220, 220, 224}));
  EXPECT_EQ(paint.rects, (std::vector<view::Rect>{{300, 0, 400, 200}, {0, 95, 300, 200}}));
  EXPECT_TRUE(drawing::DecideEmptyArea(400, 200, 400, 200).rects.empty());
  EXPECT_EQ(drawing::DecideEmptyArea(500, 95, 400, 200).rects, (std::vector<view::Rect>{{0, 95, 400, 200}}));
}

TEST(InfText, DecodesByByteOrderMarkElseUtf8ElseWindows1252) {
  EXPECT_EQ(DecodeText(std::string("\xFF\xFE" "A\0\xE9\0", 6)), u"A\u00E9");
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF" "caf\xC3\xA9"), u"caf\u00E9");
  EXPECT_EQ(DecodeText("caf\xC3\xA9"), u"caf\u00E9");
  EXPECT_EQ(DecodeText("caf\xE9 \x80"), u"caf\u00E9 \u20AC");
  EXPECT_THROW(LoadTextFile(u"/nonexistent/quillon/x.inf"), QuillonError);
}

}  // namespace
