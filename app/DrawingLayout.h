// Where the main window's components go, as plain rectangles in client pixels.
// Every constant below is a 96-DPI length; the layout scales each one once by the
// window's DPI. The Win32 window places its controls exactly here; tests check it
// on Linux.
#pragma once
#include <array>

#include "app/View.h"
#include "platform/Text.h"

namespace layout {

constexpr int kClientWidth = 1010;
constexpr int kClientHeight = 586;
constexpr view::Rgb kFormBackground{234, 234, 234};
constexpr view::Rgb kToolbarBackground{255, 255, 255};

constexpr int kToolbarHeight = 30;
constexpr int kHeaderHeight = 26;       // "Devices", "Driver Properties", "Driver Files"
constexpr int kHeaderTextInset = 6;     // the header text's distance from the strip's left edge
constexpr int kTreeMargin = 3;
constexpr int kSplitterThickness = 5;
constexpr int kExpandPanelHeight = 24;
constexpr int kInfoButtonWidth = 23, kInfoButtonHeight = 22;
constexpr int kSplitterMinSize = 30;    // no splitter drags a panel narrower than this

// The sizes the user changes with the splitters (and the panel toggle), in device
// pixels at the window's DPI.
struct MainLayoutSizes {
  int devicesWidth = 280;      // pnlDevices, Splitter2
  int deviceInfoWidth = 400;   // pnlDeviceInfo, Splitter1
  int propertiesHeight = 360;  // pnlProperties, Splitter3 and btnInfoPanel
};

// The sizes a window starts with at `dpi`.
MainLayoutSizes InitialSizes(int dpi);
// The sizes moved from one DPI to another, each keeping its proportion.
MainLayoutSizes RescaleSizes(const MainLayoutSizes& sizes, int fromDpi, int toDpi);

enum ToolbarButtonIndex { kScan, kVerify, kExport, kExportAll, kSubmit, kToolbarButtonCount };

struct MainLayout {
  view::Rect pnlToolbar;
  std::array<view::Rect, kToolbarButtonCount> toolbarButtons;
  view::Rect pnlDevices, devicesHeader, tvDevices;
  view::Rect Splitter2;
  view::Rect Panel5;
  view::Rect pnlProperties;
  view::Rect pnlDeviceInfo, deviceInfoHeader, sgDeviceInfo;
  view::Rect Splitter1;
  view::Rect pnlFiles, filesHeader, sgFiles;
  view::Rect Splitter3;
  view::Rect pnlExpand, btnInfoPanel;
  view::Rect pnlTabSheet;
};

// Docks the panels as the window's layout table gives them: fixed edges keep
// their sizes, the filling panel gets what remains (never less than nothing).
// `clientWidth`, `clientHeight` and `sizes` are device pixels; the fixed lengths
// are scaled to `dpi`.
MainLayout DecideMainLayout(int clientWidth, int clientHeight, const MainLayoutSizes& sizes, int dpi);

// The window's client size at `dpi`.
int ClientWidth(int dpi);
int ClientHeight(int dpi);

// ---------------------------------------------------------------- toolbar

struct ToolbarButton {
  const char16_t* caption;
  const char16_t* hint;  // empty: no tool tip
  int x;                 // 96-DPI lengths
  int width;
  char16_t accessKey;    // Alt and this letter press the button
};
const std::array<ToolbarButton, kToolbarButtonCount>& ToolbarButtons();

// ---------------------------------------------------------------- splitters and moving

// A splitter dragged by `delta` pixels from a panel of `startSize`: the panel's new
// size, kept between `minSize` (kSplitterMinSize at the window's DPI) and `maxSize`
// (the room the neighbours leave).
int DragSplitter(int startSize, int delta, int maxSize, int minSize = kSplitterMinSize);

// The window rectangle moved onto a screen edge when it comes within `distance`
// pixels of it (each axis on its own); otherwise unchanged.
view::Rect SnapToEdges(const view::Rect& window, const view::Rect& workArea, int distance = 10);

// A rectangle of `width` x `height` centred over `over`.
view::Rect CentreOver(int width, int height, const view::Rect& over);

// Where the main window first shows: centred on the screen, but never larger than
// the work area and moved into it, so that a window scaled for a high DPI on a
// small screen keeps its title bar and edges within reach.
view::Rect PlaceOnScreen(int width, int height, const view::Rect& screen, const view::Rect& workArea);

}  // namespace layout
