#include "app/DrawingLayout.h"

#include <algorithm>

#include "app/Dpi.h"

namespace layout {

namespace {

// Cuts a strip of `size` off the given side of `area` (never more than it holds).
view::Rect TakeTop(view::Rect& area, int size) {
  const int bottom = std::min(area.top + std::max(size, 0), area.bottom);
  const view::Rect strip{area.left, area.top, area.right, bottom};
  area.top = bottom;
  return strip;
}

view::Rect TakeLeft(view::Rect& area, int size) {
  const int right = std::min(area.left + std::max(size, 0), area.right);
  const view::Rect strip{area.left, area.top, right, area.bottom};
  area.left = right;
  return strip;
}

view::Rect Inset(const view::Rect& r, int by) {
  view::Rect inner{r.left + by, r.top + by, r.right - by, r.bottom - by};
  inner.right = std::max(inner.right, inner.left);
  inner.bottom = std::max(inner.bottom, inner.top);
  return inner;
}

// A header strip above the panel's content, which fills the rest.
void SplitHeader(const view::Rect& panel, int headerHeight, view::Rect& header, view::Rect& content) {
  content = panel;
  header = TakeTop(content, headerHeight);
}

int SnapAxis(int low, int high, int edgeLow, int edgeHigh, int distance) {
  if (low != edgeLow && low > edgeLow - distance && low < edgeLow + distance) return edgeLow - low;
  if (high != edgeHigh && high > edgeHigh - distance && high < edgeHigh + distance) return edgeHigh - high;
  return 0;
}

}  // namespace

MainLayoutSizes InitialSizes(int dpi) {
  const MainLayoutSizes at96;
  return {dpi::Scale(at96.devicesWidth, dpi), dpi::Scale(at96.deviceInfoWidth, dpi),
          dpi::Scale(at96.propertiesHeight, dpi)};
}

MainLayoutSizes RescaleSizes(const MainLayoutSizes& sizes, int fromDpi, int toDpi) {
  return {dpi::Rescale(sizes.devicesWidth, fromDpi, toDpi), dpi::Rescale(sizes.deviceInfoWidth, fromDpi, toDpi),
          dpi::Rescale(sizes.propertiesHeight, fromDpi, toDpi)};
}

int ClientWidth(int dpi) { return dpi::Scale(kClientWidth, dpi); }
int ClientHeight(int dpi) { return dpi::Scale(kClientHeight, dpi); }

MainLayout DecideMainLayout(int clientWidth, int clientHeight, const MainLayoutSizes& sizes, int dpi) {
  auto scaled = [dpi](int length) { return dpi::Scale(length, dpi); };
  const int splitter = scaled(kSplitterThickness), header = scaled(kHeaderHeight);
  MainLayout l;
  view::Rect rest{0, 0, std::max(clientWidth, 0), std::max(clientHeight, 0)};
  l.pnlToolbar = TakeTop(rest, scaled(kToolbarHeight));
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    const ToolbarButton& button = ToolbarButtons()[size_t(i)];
    const int left = scaled(button.x);
    l.toolbarButtons[size_t(i)] = {left, l.pnlToolbar.top, left + scaled(button.width), l.pnlToolbar.bottom};
  }

  l.pnlDevices = TakeLeft(rest, sizes.devicesWidth);
  view::Rect treeArea;
  SplitHeader(l.pnlDevices, header, l.devicesHeader, treeArea);
  l.tvDevices = Inset(treeArea, scaled(kTreeMargin));
  l.Splitter2 = TakeLeft(rest, splitter);
  l.Panel5 = rest;

  view::Rect column = l.Panel5;
  l.pnlProperties = TakeTop(column, sizes.propertiesHeight);
  l.Splitter3 = TakeTop(column, splitter);
  l.pnlExpand = TakeTop(column, scaled(kExpandPanelHeight));
  l.pnlTabSheet = column;

  // btnInfoPanel is anchored to the right edge of pnlExpand, one pixel below its top.
  const int buttonTop = l.pnlExpand.top + scaled(1);
  l.btnInfoPanel = {l.pnlExpand.right - scaled(kInfoButtonWidth), buttonTop, l.pnlExpand.right,
                    buttonTop + scaled(kInfoButtonHeight)};

  view::Rect row = l.pnlProperties;
  l.pnlDeviceInfo = TakeLeft(row, sizes.deviceInfoWidth);
  l.Splitter1 = TakeLeft(row, splitter);
  l.pnlFiles = row;
  SplitHeader(l.pnlDeviceInfo, header, l.deviceInfoHeader, l.sgDeviceInfo);
  SplitHeader(l.pnlFiles, header, l.filesHeader, l.sgFiles);
  return l;
}

const std::array<ToolbarButton, kToolbarButtonCount>& ToolbarButtons() {
  // Export Driver (266 + 120) reaches 20 pixels under Export All (366): flat
  // white buttons without borders, so only the click area is shared.
  static const std::array<ToolbarButton, kToolbarButtonCount> buttons{{
      {u"Scan Hardware", u"Scan the system for devices", 6, 120, u'S'},
      {u"Verify Signatures", u"Verify file signatures for the selected device driver", 136, 120, u'V'},
      {u"Export Driver", u"Export the selected device driver", 266, 120, u'E'},
      {u"Export All", u"Export all listed drivers", 366, 120, u'A'},
      {u"Prepare NAVU Submission", u"", 500, 159, u'P'},
  }};
  return buttons;
}

int DragSplitter(int startSize, int delta, int maxSize, int minSize) {
  return std::max(minSize, std::min(startSize + delta, std::max(maxSize, minSize)));
}

view::Rect SnapToEdges(const view::Rect& window, const view::Rect& workArea, int distance) {
  const int dx = SnapAxis(window.left, window.right, workArea.left, workArea.right, distance);
  const int dy = SnapAxis(window.top, window.bottom, workArea.top, workArea.bottom, distance);
  return {window.left + dx, window.top + dy, window.right + dx, window.bottom + dy};
}

view::Rect CentreOver(int width, int height, const view::Rect& over) {
  const int left = over.left + (over.Width() - width) / 2;
  const int top = over.top + (over.Height() - height) / 2;
  return {left, top, left + width, top + height};
}

view::Rect PlaceOnScreen(int width, int height, const view::Rect& screen, const view::Rect& workArea) {
  const int w = std::min(width, workArea.Width()), h = std::min(height, workArea.Height());
  const view::Rect centred = CentreOver(w, h, screen);
  const int left = std::clamp(centred.left, workArea.left, workArea.right - w);
  const int top = std::clamp(centred.top, workArea.top, workArea.bottom - h);
  return {left, top, left + w, top + h};
}

}  // namespace layout
