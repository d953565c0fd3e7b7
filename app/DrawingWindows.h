// The layout of the two small borderless windows (progress and About) at 96 DPI,
// its scaling to a window's DPI, and the About window's own texts.
#pragma once
#include "app/View.h"

namespace windows_layout {

constexpr int kClientWidth = 452;
constexpr int kClientHeight = 119;

struct LabelBox {
  view::Rect box;       // the text is centred horizontally in it
  int fontPixels = 0;   // character height in pixels (0: use `fontPoints`)
  int fontPoints = 0;
  bool bold = false;
};

struct SmallWindowLayout {
  view::Rect logo{0, 8, 88, 104};  // the logo, scaled proportionally into it
  LabelBox lblTitle;
  LabelBox lblText;
};

SmallWindowLayout ProgressLayout();
SmallWindowLayout AboutLayout();

// Every length of a 96-DPI layout at `dpi`. A scaled label gives its font as a
// pixel height only: a point size is turned into pixels at `dpi`, once.
LabelBox Scaled(const LabelBox& label, int dpi);
SmallWindowLayout Scaled(const SmallWindowLayout& layout, int dpi);

// The About window's credit line (Label1) and its "X" button (btnClose).
LabelBox AboutCreditLine();
constexpr view::Rect kAboutCloseButton{423, 0, 446, 22};
constexpr int kAboutCloseButtonPoints = 9;  // Verdana

extern const char16_t* const kAboutTitle;
extern const char16_t* const kAboutCredit;

// Where the logo's picture of width x height goes inside `box`: as large as fits
// without changing its proportions, centred.
view::Rect FitProportionally(int width, int height, const view::Rect& box);

}  // namespace windows_layout
