#include "app/MemoryView.h"

#include <stdexcept>
#include <string>

#include "backup/ReportText.h"

namespace memview {

// ---------------------------------------------------------------- MemoryTree

MemoryTree::Node& MemoryTree::At(view::NodeId node) {
  if (node < 0 || node >= int(nodes_.size())) throw std::out_of_range("no tree node " + std::to_string(node));
  return nodes_[size_t(node)];
}

const MemoryTree::Node& MemoryTree::At(view::NodeId node) const { return const_cast<MemoryTree*>(this)->At(node); }

void MemoryTree::Clear() {
  nodes_.clear();
  topLevel_.clear();
  selected_ = view::kNoNode;
}

view::NodeId MemoryTree::AddChild(view::NodeId parent, const WString& text, TDevice* device) {
  if (parent != view::kNoNode) At(parent);  // checked before anything changes
  const view::NodeId id = view::NodeId(nodes_.size());
  nodes_.push_back({text, device, parent, {}, false});
  // Only now: the push may have moved the parent's node.
  (parent == view::kNoNode ? topLevel_ : At(parent).children).push_back(id);
  return id;
}

void MemoryTree::Select(view::NodeId node) {
  if (node != view::kNoNode) At(node);
  selected_ = node;
}

std::vector<view::NodeId> MemoryTree::Children(view::NodeId node) const {
  return node == view::kNoNode ? topLevel_ : At(node).children;
}

// ---------------------------------------------------------------- MemoryGrid

void MemoryGrid::SetDefaultColWidth(int pixels) {
  defaultColWidth_ = pixels;
  std::fill(colWidths_.begin(), colWidths_.end(), pixels);
}

void MemoryGrid::SetRowCount(int rows) {
  if (rows < 0) throw std::out_of_range("negative row count");
  cells_.resize(size_t(rows), std::vector<WString>(colWidths_.size()));
}

void MemoryGrid::SetColCount(int cols) {
  if (cols < 0) throw std::out_of_range("negative column count");
  colWidths_.resize(size_t(cols), defaultColWidth_);
  for (auto& row : cells_) row.resize(size_t(cols));
}

void MemoryGrid::CheckCell(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
    throw std::out_of_range("no grid cell " + std::to_string(col) + "," + std::to_string(row));
}

WString MemoryGrid::Cell(int col, int row) const {
  CheckCell(col, row);
  return cells_[size_t(row)][size_t(col)];
}

void MemoryGrid::SetCell(int col, int row, const WString& text) {
  CheckCell(col, row);
  cells_[size_t(row)][size_t(col)] = text;
}

int MemoryGrid::ColWidth(int col) const {
  CheckCell(col, 0);
  return colWidths_[size_t(col)];
}

void MemoryGrid::SetColWidth(int col, int pixels) {
  CheckCell(col, 0);
  colWidths_[size_t(col)] = pixels;
}

// ---------------------------------------------------------------- MemoryRichEdit

void MemoryRichEdit::LinesClear() { SetText(WString()); }

void MemoryRichEdit::LinesAdd(const WString& line) {
  text_ += backup::LineToAppend(line, text_.empty() ? u'\0' : text_.back());
  caret_ = text_.size();
  selectionLength_ = 0;
}

void MemoryRichEdit::InsertAtCaret(const WString& text) {
  text_.replace(caret_, selectionLength_, text);
  caret_ += text.size();
  selectionLength_ = 0;
}

void MemoryRichEdit::SetText(const WString& text) {
  text_ = text;
  caret_ = 0;
  selectionLength_ = 0;
}

void MemoryRichEdit::Select(size_t start, size_t length) {
  if (start > text_.size() || length > text_.size() - start) throw std::out_of_range("selection beyond the text");
  caret_ = start;
  selectionLength_ = length;
}

// ---------------------------------------------------------------- MemoryImageList

int MemoryImageList::AddIcon(winapi::Handle icon) {
  icons_.push_back(icon);
  return int(icons_.size()) - 1;
}

void MemoryImageList::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("no image " + std::to_string(index));
  icons_.erase(icons_.begin() + index);
}

// ---------------------------------------------------------------- windows and dialogs

namespace {

class MemoryFolderPicker final : public view::IFolderPicker {
 public:
  explicit MemoryFolderPicker(MemoryView& owner) : owner_(owner) {}
  WString Title() const override { return title_; }
  void SetTitle(const WString& title) override { title_ = title; }
  bool Execute() override {
    ++owner_.pickerRuns;
    if (!owner_.pickFolder) return false;  // cancelled: the last choice stays
    fileName_ = *owner_.pickFolder;
    return true;
  }
  WString FileName() const override { return fileName_; }
  WString DefaultFolder() const override { return defaultFolder_; }
  void SetDefaultFolder(const WString& folder) override { defaultFolder_ = folder; }

 private:
  MemoryView& owner_;
  WString title_, fileName_, defaultFolder_;
};

class MemoryAboutWindow final : public view::IAboutWindowView {
 public:
  explicit MemoryAboutWindow(MemoryView& owner) : owner_(owner) {}
  void SetVersionLine(const WString& text) override { versionLine_ = text; }
  void ShowModal() override { owner_.aboutVersionLines.push_back(versionLine_); }

 private:
  MemoryView& owner_;
  WString versionLine_;
};

}  // namespace

MemoryProgressWindow::MemoryProgressWindow(const ProgressEvents& events, char16_t decimalSeparator,
                                           MemoryProgressWindow** current)
    : events_(events), decimalSeparator_(decimalSeparator), current_(current) {
  *current_ = this;
}

MemoryProgressWindow::~MemoryProgressWindow() {
  if (*current_ == this) *current_ = nullptr;
  if (events_.closed) events_.closed();
}

void MemoryProgressWindow::SetTitleLabel(const WString& text) {
  titleLabel = text;
  if (events_.titled) events_.titled(text);
}

void MemoryProgressWindow::FillRect(const view::Rect& r, view::Rgb colour) {
  lastFill = r;
  lastFillColour = colour;
}

void MemoryProgressWindow::DrawCentredText(const view::Rect&, const WString& text, int points) {
  lastCaption = text;
  lastCaptionPoints = points;
  ++barsDrawn;
}

MemoryView::MemoryView() = default;

std::unique_ptr<view::IFolderPicker> MemoryView::CreateFolderPicker() {
  return std::make_unique<MemoryFolderPicker>(*this);
}

std::unique_ptr<view::IProgressWindowView> MemoryView::CreateProgressWindow() {
  return std::make_unique<MemoryProgressWindow>(progressEvents, decimalSeparator, &progress);
}

std::unique_ptr<view::IAboutWindowView> MemoryView::CreateAboutWindow() {
  return std::make_unique<MemoryAboutWindow>(*this);
}

void MemoryView::ProcessMessages() {
  while (postedStartupMessages > 0) {
    --postedStartupMessages;
    if (onStartupMessage) onStartupMessage();
  }
  if (onProcessMessages) onProcessMessages();
}

}  // namespace memview
