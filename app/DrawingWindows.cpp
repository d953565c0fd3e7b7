#include "app/DrawingWindows.h"

#include <algorithm>

#include "app/Dpi.h"

namespace windows_layout {

const char16_t* const kAboutTitle = u"Quillon Driver Backup";
const char16_t* const kAboutCredit = u"Made by the Quillon team";

namespace {
constexpr int kLabelX = 96, kLabelWidth = 344;
constexpr int kTitlePixels = 17;  // bold Segoe UI, character height
view::Rect LabelRect(int y, int height) { return {kLabelX, y, kLabelX + kLabelWidth, y + height}; }
}  // namespace

SmallWindowLayout ProgressLayout() {
  SmallWindowLayout l;
  l.lblTitle = {LabelRect(24, 25), kTitlePixels, 0, true};
  l.lblText = {LabelRect(64, 17), 0, 10, false};
  return l;
}

SmallWindowLayout AboutLayout() {
  SmallWindowLayout l;
  l.lblTitle = {LabelRect(16, 25), kTitlePixels, 0, true};
  l.lblText = {LabelRect(43, 27), 0, 12, false};
  return l;
}

LabelBox Scaled(const LabelBox& label, int dpi) {
  LabelBox scaled = label;
  scaled.box = dpi::Scale(label.box, dpi);
  scaled.fontPixels =
      label.fontPixels > 0 ? dpi::Scale(label.fontPixels, dpi) : dpi::PointsToPixels(label.fontPoints, dpi);
  scaled.fontPoints = 0;
  return scaled;
}

SmallWindowLayout Scaled(const SmallWindowLayout& layout, int dpi) {
  return {dpi::Scale(layout.logo, dpi), Scaled(layout.lblTitle, dpi), Scaled(layout.lblText, dpi)};
}

LabelBox AboutCreditLine() { return {LabelRect(73, 22), 0, 12, false}; }

view::Rect FitProportionally(int width, int height, const view::Rect& box) {
  if (width <= 0 || height <= 0 || box.Width() <= 0 || box.Height() <= 0) return {box.left, box.top, box.left, box.top};
  // Compare the aspect ratios in integers: the tighter side decides the scale.
  int w = box.Width(), h = box.Height();
  if (int64_t(width) * box.Height() > int64_t(height) * box.Width())
    h = int(int64_t(height) * box.Width() / width);
  else
    w = int(int64_t(width) * box.Height() / height);
  const int left = box.left + (box.Width() - w) / 2, top = box.top + (box.Height() - h) / 2;
  return {left, top, left + w, top + h};
}

}  // namespace windows_layout
