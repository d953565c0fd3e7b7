// The main window's view: one small interface per component of the window,
// named like the component (tvDevices, sgDeviceInfo, reOutput, btnExport, ...).
//
// TfrmMainForm (app/MainFormUnit.h) holds every decision and acts on these
// interfaces only. Two implementations exist:
//   - app/win32/: the real controls. A humble object: it forwards user events to
//     the TfrmMainForm handlers and paints what the portable drawing functions
//     (app/Drawing.h) decide; it makes no decision of its own.
//   - app/MemoryView.h: everything in memory, for tests and quillon-headless.
//
// Message boxes are not part of the view: the window shows them through the
// message-dialog port (Os().dialogs), as the device scan does.
//
// Conventions: lengths are pixels; rows and columns are 0-based, row 0 of a grid
// is its header row; setters never call back into the form (a view raises a
// form handler only for a user action, e.g. a click selecting a tree node).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ImageList.h"
#include "platform/Text.h"

struct TDevice;

namespace view {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Left/top inclusive, right/bottom exclusive, as a Win32 RECT.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// ---------------------------------------------------------------- tvDevices

// A tree node, as the view numbers it. kNoNode is "none" (and, as a parent, the
// top level of the tree).
using NodeId = int;
constexpr NodeId kNoNode = -1;

class ITreeView {
 public:
  virtual ~ITreeView() = default;
  // Removes every node; the selection becomes kNoNode.
  virtual void Clear() = 0;
  // Adds a node as the last child of `parent` (kNoNode: a top-level node).
  // `device` points into the form's DeviceList (or is null) and is only stored.
  virtual NodeId AddChild(NodeId parent, const WString& text, TDevice* device) = 0;
  virtual void Expand(NodeId node) = 0;
  virtual bool Expanded(NodeId node) const = 0;
  // The selected node or kNoNode. Select does not raise tvDevicesChange.
  virtual NodeId Selected() const = 0;
  virtual void Select(NodeId node) = 0;

  virtual WString Text(NodeId node) const = 0;
  virtual TDevice* Device(NodeId node) const = 0;
  virtual NodeId Parent(NodeId node) const = 0;  // kNoNode for a top-level node
  // Children in display order; kNoNode gives the top-level nodes.
  virtual std::vector<NodeId> Children(NodeId node) const = 0;
  virtual int Count() const = 0;  // every node of the tree
};

// ---------------------------------------------------------------- grids

class IStringGrid {
 public:
  virtual ~IStringGrid() = default;
  // Created with: no default drawing (the form's DrawCell decides every cell),
  // focus drawn as selected, user-resizable columns, whole-row selection, no grid lines.
  virtual void SetDefaultRowHeight(int pixels) = 0;
  // Sets the width of every column.
  virtual void SetDefaultColWidth(int pixels) = 0;
  virtual void SetColor(Rgb background) = 0;
  virtual void SetFixedRows(int rows) = 0;  // no fixed column ever

  virtual int RowCount() const = 0;
  // Growing adds empty rows; shrinking drops the last rows with their cells.
  virtual void SetRowCount(int rows) = 0;
  virtual int ColCount() const = 0;
  virtual void SetColCount(int cols) = 0;
  virtual WString Cell(int col, int row) const = 0;
  virtual void SetCell(int col, int row, const WString& text) = 0;
  virtual int ColWidth(int col) const = 0;
  virtual void SetColWidth(int col, int pixels) = 0;
  // The control's outer width.
  virtual int Width() const = 0;
};

// ---------------------------------------------------------------- text tabs

// reInfFile and reOutput: read-only rich-text boxes.
class IRichEdit {
 public:
  virtual ~IRichEdit() = default;
  virtual void LinesClear() = 0;
  // Adds `line` as a new last line (Lines.Add) and leaves the caret at the end.
  virtual void LinesAdd(const WString& line) = 0;
  // Inserts at the caret, replacing any selection (SelText); the caret ends after it.
  virtual void InsertAtCaret(const WString& text) = 0;
  virtual WString Text() const = 0;
  // Replaces the whole content (loading a file); the caret goes to the start.
  virtual void SetText(const WString& text) = 0;
};

enum class Page { tsInfFile, tsOutput };

class IPageControl {
 public:
  virtual ~IPageControl() = default;
  virtual Page ActivePage() const = 0;
  virtual void SetActivePage(Page page) = 0;
};

// ---------------------------------------------------------------- commands

// A button or menu item that runs a command.
class ICommand {
 public:
  virtual ~ICommand() = default;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// mnuIncludeMicrosoft: a check item.
class IMenuCheck {
 public:
  virtual ~IMenuCheck() = default;
  virtual bool Checked() const = 0;
  virtual void SetChecked(bool checked) = 0;
};

// ---------------------------------------------------------------- panels

// The vertical layout of Panel5: pnlProperties, Splitter3, pnlExpand, pnlTabSheet.
class IPanelLayout {
 public:
  virtual ~IPanelLayout() = default;
  virtual int Panel5Height() const = 0;
  virtual int pnlExpandHeight() const = 0;
  virtual int Splitter3Height() const = 0;
  virtual int pnlPropertiesHeight() const = 0;
  // The tab panel below gets what remains.
  virtual void SetPropertiesHeight(int pixels) = 0;
};

// btnInfoPanel: the information-panel toggle; its Tag holds the toggle state.
class IInfoPanelButton {
 public:
  virtual ~IInfoPanelButton() = default;
  virtual WString Caption() const = 0;
  virtual void SetCaption(const WString& caption) = 0;
  virtual WString Hint() const = 0;
  virtual void SetHint(const WString& hint) = 0;
  virtual int Tag() const = 0;
  virtual void SetTag(int tag) = 0;
};

// ---------------------------------------------------------------- dialogs and windows

// The shared folder picker `dlg` (folder-picking option set).
class IFolderPicker {
 public:
  virtual ~IFolderPicker() = default;
  virtual WString Title() const = 0;
  virtual void SetTitle(const WString& title) = 0;
  // Shows the dialog modally; true when the user chose a folder (then FileName is it).
  virtual bool Execute() = 0;
  // The chosen folder; before the first choice, empty.
  virtual WString FileName() const = 0;
  virtual WString DefaultFolder() const = 0;
  virtual void SetDefaultFolder(const WString& folder) = 0;
};

// The surface of one progress window (TfrmProgress holds the logic). Shown,
// topmost and centred over the main window when created; closed and freed when
// destroyed.
class IProgressWindowView {
 public:
  virtual ~IProgressWindowView() = default;
  virtual void SetTitleLabel(const WString& text) = 0;  // lblTitle
  virtual void SetTextLabel(const WString& text) = 0;   // lblText
  // Does the window's pending painting now, without processing other messages.
  virtual void Repaint() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The window's DPI: the bar's 96-DPI lengths are scaled to it.
  virtual int Dpi() const = 0;
  // PaintBox1's canvas. The bar is drawn directly, outside the window's painting.
  virtual void FillRect(const Rect& r, Rgb colour) = 0;
  virtual void FillRectButtonFace(const Rect& r) = 0;  // the system's button-face colour
  // The window's font at `points` (turned into pixels at the window's DPI),
  // transparent background, centred both ways in r.
  virtual void DrawCentredText(const Rect& r, const WString& text, int points) = 0;
  // The user's decimal separator, for byte-size captions.
  virtual char16_t DecimalSeparator() const = 0;
};

// The surface of the About window (TfrmAbout holds the logic).
class IAboutWindowView {
 public:
  virtual ~IAboutWindowView() = default;
  virtual void SetVersionLine(const WString& text) = 0;  // lblText
  // Shows the window modally; returns when it is closed (its "X" button).
  virtual void ShowModal() = 0;
};

// ---------------------------------------------------------------- the whole window

class IMainView {
 public:
  virtual ~IMainView() = default;

  virtual ITreeView& tvDevices() = 0;
  virtual IStringGrid& sgDeviceInfo() = 0;
  virtual IStringGrid& sgFiles() = 0;
  virtual IRichEdit& reInfFile() = 0;
  virtual IRichEdit& reOutput() = 0;
  virtual IPageControl& PageControl1() = 0;

  virtual ICommand& btnScan() = 0;
  virtual ICommand& btnVerify() = 0;
  virtual ICommand& btnExport() = 0;
  virtual ICommand& btnExportAll() = 0;
  virtual ICommand& btnSubmit() = 0;
  virtual ICommand& mnuVerify() = 0;
  virtual ICommand& mnuExport() = 0;
  virtual ICommand& mnuProperties() = 0;
  virtual IMenuCheck& mnuIncludeMicrosoft() = 0;

  virtual IPanelLayout& Panels() = 0;
  virtual IInfoPanelButton& btnInfoPanel() = 0;

  // imgDevices: indexes 0-3 hold the four class-node glyphs (app/Drawing.h
  // ClassNodeGlyph) from creation on; the scan appends device icons.
  virtual ports::IImageList& imgDevices() = 0;

  // New windows and dialogs, owned by the caller.
  virtual std::unique_ptr<IFolderPicker> CreateFolderPicker() = 0;
  virtual std::unique_ptr<IProgressWindowView> CreateProgressWindow() = 0;
  virtual std::unique_ptr<IAboutWindowView> CreateAboutWindow() = 0;

  // Tool tips stay visible for this long before they hide.
  virtual void SetHintHidePause(int milliseconds) = 0;
  // Posts (not sends) the private message 1025; the view calls
  // TfrmMainForm::StartupMessage when it arrives.
  virtual void PostStartupMessage() = 0;
  // Processes every pending window message once (lets the window paint).
  virtual void ProcessMessages() = 0;
  // Closes the main window, which ends the message loop.
  virtual void Close() = 0;
  // DPI of the monitor nearest to the main window (96 at 100 %).
  virtual int MonitorDpi() const = 0;
};

}  // namespace view
