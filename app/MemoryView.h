// The main window's view held in memory: tests and quillon-headless drive
// TfrmMainForm through it and read back what a user would see. Message boxes and
// started processes go through the ports, not through here.
#pragma once
#include <functional>
#include <optional>
#include <vector>

#include "app/Dpi.h"
#include "app/View.h"

namespace memview {

class MemoryTree final : public view::ITreeView {
 public:
  void Clear() override;
  view::NodeId AddChild(view::NodeId parent, const WString& text, TDevice* device) override;
  void Expand(view::NodeId node) override { At(node).expanded = true; }
  bool Expanded(view::NodeId node) const override { return At(node).expanded; }
  view::NodeId Selected() const override { return selected_; }
  void Select(view::NodeId node) override;
  WString Text(view::NodeId node) const override { return At(node).text; }
  TDevice* Device(view::NodeId node) const override { return At(node).device; }
  view::NodeId Parent(view::NodeId node) const override { return At(node).parent; }
  std::vector<view::NodeId> Children(view::NodeId node) const override;
  int Count() const override { return int(nodes_.size()); }

 private:
  struct Node {
    WString text;
    TDevice* device = nullptr;
    view::NodeId parent = view::kNoNode;
    std::vector<view::NodeId> children;
    bool expanded = false;
  };
  // Throws std::out_of_range for an id the tree does not hold.
  Node& At(view::NodeId node);
  const Node& At(view::NodeId node) const;

  std::vector<Node> nodes_;
  std::vector<view::NodeId> topLevel_;
  view::NodeId selected_ = view::kNoNode;
};

class MemoryGrid final : public view::IStringGrid {
 public:
  explicit MemoryGrid(int width) : width_(width) {}
  void SetDefaultRowHeight(int pixels) override { defaultRowHeight = pixels; }
  void SetDefaultColWidth(int pixels) override;
  void SetColor(view::Rgb background) override { color = background; }
  void SetFixedRows(int rows) override { fixedRows = rows; }
  int RowCount() const override { return int(cells_.size()); }
  void SetRowCount(int rows) override;
  int ColCount() const override { return int(colWidths_.size()); }
  void SetColCount(int cols) override;
  // Cells outside the grid throw std::out_of_range: the logic must size it first.
  WString Cell(int col, int row) const override;
  void SetCell(int col, int row, const WString& text) override;
  int ColWidth(int col) const override;
  void SetColWidth(int col, int pixels) override;
  int Width() const override { return width_; }
  void SetWidth(int width) { width_ = width; }

  int defaultRowHeight = 0;
  int fixedRows = 0;
  view::Rgb color;

 private:
  void CheckCell(int col, int row) const;
  int width_;
  std::vector<std::vector<WString>> cells_;  // [row][col]
  std::vector<int> colWidths_;
  int defaultColWidth_ = 64;
};

class MemoryRichEdit final : public view::IRichEdit {
 public:
  void LinesClear() override;
  void LinesAdd(const WString& line) override;
  void InsertAtCaret(const WString& text) override;
  WString Text() const override { return text_; }
  void SetText(const WString& text) override;
  size_t Caret() const { return caret_; }
  void Select(size_t start, size_t length);  // as a user's selection

 private:
  WString text_;
  size_t caret_ = 0;
  size_t selectionLength_ = 0;
};

class MemoryPageControl final : public view::IPageControl {
 public:
  view::Page ActivePage() const override { return page_; }
  void SetActivePage(view::Page page) override { page_ = page; }

 private:
  view::Page page_ = view::Page::tsInfFile;
};

class MemoryCommand final : public view::ICommand {
 public:
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }

 private:
  bool enabled_ = true;
};

class MemoryMenuCheck final : public view::IMenuCheck {
 public:
  bool Checked() const override { return checked_; }
  void SetChecked(bool checked) override { checked_ = checked; }

 private:
  bool checked_ = false;
};

// Heights as laid out at 96 DPI in a 1010 x 586 client area.
class MemoryPanels final : public view::IPanelLayout {
 public:
  int Panel5Height() const override { return panel5Height; }
  int pnlExpandHeight() const override { return 24; }
  int Splitter3Height() const override { return 5; }
  int pnlPropertiesHeight() const override { return propertiesHeight; }
  void SetPropertiesHeight(int pixels) override { propertiesHeight = pixels; }
  int TabSheetHeight() const { return panel5Height - propertiesHeight - 5 - 24; }

  int panel5Height = 556;
  int propertiesHeight = 360;
};

class MemoryInfoPanelButton final : public view::IInfoPanelButton {
 public:
  WString Caption() const override { return caption_; }
  void SetCaption(const WString& caption) override { caption_ = caption; }
  WString Hint() const override { return hint_; }
  void SetHint(const WString& hint) override { hint_ = hint; }
  int Tag() const override { return tag_; }
  void SetTag(int tag) override { tag_ = tag; }

 private:
  WString caption_ = u"\u25BA";
  WString hint_;
  int tag_ = 0;
};

// imgDevices: the four glyphs from the start; an added icon is a number.
class MemoryImageList final : public ports::IImageList {
 public:
  MemoryImageList() : icons_(4, 0) {}
  int AddIcon(winapi::Handle icon) override;
  int Count() const override { return int(icons_.size()); }
  void Delete(int index) override;

 private:
  std::vector<winapi::Handle> icons_;
};

// What the progress windows did, in order, for tests and the headless printer.
struct ProgressEvents {
  std::function<void(const WString& title)> titled;  // a window shown or re-titled
  std::function<void()> closed;
};

class MemoryProgressWindow final : public view::IProgressWindowView {
 public:
  MemoryProgressWindow(const ProgressEvents& events, char16_t decimalSeparator, MemoryProgressWindow** current);
  ~MemoryProgressWindow() override;
  void SetTitleLabel(const WString& text) override;
  void SetTextLabel(const WString& text) override { textLabel = text; }
  void Repaint() override { ++repaints; }
  int Width() const override { return dpi::Scale(452, dpi); }
  int Height() const override { return dpi::Scale(119, dpi); }
  int Dpi() const override { return dpi; }
  void FillRect(const view::Rect& r, view::Rgb colour) override;
  void FillRectButtonFace(const view::Rect& r) override { lastTrack = r; }
  void DrawCentredText(const view::Rect&, const WString& text, int points) override;
  char16_t DecimalSeparator() const override { return decimalSeparator_; }

  WString titleLabel, textLabel;
  int dpi = 96;
  int repaints = 0;
  int barsDrawn = 0;
  std::optional<view::Rect> lastTrack, lastFill;
  view::Rgb lastFillColour;
  WString lastCaption;
  int lastCaptionPoints = 0;

 private:
  const ProgressEvents& events_;
  char16_t decimalSeparator_;
  MemoryProgressWindow** current_;
};

class MemoryView final : public view::IMainView {
 public:
  MemoryView();

  view::ITreeView& tvDevices() override { return tree; }
  view::IStringGrid& sgDeviceInfo() override { return deviceInfo; }
  view::IStringGrid& sgFiles() override { return files; }
  view::IRichEdit& reInfFile() override { return infFile; }
  view::IRichEdit& reOutput() override { return output; }
  view::IPageControl& PageControl1() override { return pages; }
  view::ICommand& btnScan() override { return scan; }
  view::ICommand& btnVerify() override { return verify; }
  view::ICommand& btnExport() override { return exportDriver; }
  view::ICommand& btnExportAll() override { return exportAll; }
  view::ICommand& btnSubmit() override { return submit; }
  view::ICommand& mnuVerify() override { return menuVerify; }
  view::ICommand& mnuExport() override { return menuExport; }
  view::ICommand& mnuProperties() override { return menuProperties; }
  view::IMenuCheck& mnuIncludeMicrosoft() override { return includeMicrosoft; }
  view::IPanelLayout& Panels() override { return panels; }
  view::IInfoPanelButton& btnInfoPanel() override { return infoPanel; }
  ports::IImageList& imgDevices() override { return images; }
  std::unique_ptr<view::IFolderPicker> CreateFolderPicker() override;
  std::unique_ptr<view::IProgressWindowView> CreateProgressWindow() override;
  std::unique_ptr<view::IAboutWindowView> CreateAboutWindow() override;
  void SetHintHidePause(int milliseconds) override { hintHidePause = milliseconds; }
  void PostStartupMessage() override { ++postedStartupMessages; }
  // Dispatches the posted start-up messages to onStartupMessage, then lets
  // onProcessMessages act as the user would while the window answers.
  void ProcessMessages() override;
  void Close() override { closed = true; }
  int MonitorDpi() const override { return dpi; }

  MemoryTree tree;
  MemoryGrid deviceInfo{400};
  MemoryGrid files{320};
  MemoryRichEdit infFile, output;
  MemoryPageControl pages;
  MemoryCommand scan, verify, exportDriver, exportAll, submit, menuVerify, menuExport, menuProperties;
  MemoryMenuCheck includeMicrosoft;
  MemoryPanels panels;
  MemoryInfoPanelButton infoPanel;
  MemoryImageList images;

  // The folder every picker answers with; nullopt: the user cancels.
  std::optional<WString> pickFolder;
  int pickerRuns = 0;
  ProgressEvents progressEvents;
  char16_t decimalSeparator = u'.';
  // The progress window while one is open (owned by the form's TfrmProgress).
  MemoryProgressWindow* progress = nullptr;
  std::vector<WString> aboutVersionLines;  // one per About window shown
  std::function<void()> onStartupMessage;
  std::function<void()> onProcessMessages;  // what the user does meanwhile (tests)
  int postedStartupMessages = 0;
  int hintHidePause = 0;
  bool closed = false;
  int dpi = 96;
};

}  // namespace memview
