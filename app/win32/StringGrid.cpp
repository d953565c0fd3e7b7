#include "app/win32/StringGrid.h"

#include <windowsx.h>

#include <algorithm>

#include "app/Dpi.h"
#include "app/DrawingControls.h"
#include "platform/win32/Handles.h"

namespace gui {

StringGrid::StringGrid(HWND parent, int id, bool horizontalScrollBar, const wchar_t* fontFace)
    : horizontalBar_(horizontalScrollBar), fontFace_(fontFace) {
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_CLIPSIBLINGS | WS_VSCROLL;
  if (horizontalScrollBar) style |= WS_HSCROLL;
  Create(L"QuillonStringGrid", style, 0, nullptr, RECT{0, 0, 0, 0}, parent,
         reinterpret_cast<HMENU>(INT_PTR(id)));
  accessible_ = std::make_unique<AccessibleWindow>(Handle(), speech_);
  Changed();
}

// ---------------------------------------------------------------- screen readers

long StringGrid::Speech::ChildRole(int child) const {
  return child - 1 < grid_.fixedRows_ ? ROLE_SYSTEM_COLUMNHEADER : ROLE_SYSTEM_ROW;
}

namespace {
std::vector<WString> RowCells(const StringGrid& grid, int row) {
  std::vector<WString> cells;
  for (int col = 0; col < grid.ColCount(); ++col) cells.push_back(grid.Cell(col, row));
  return cells;
}
}  // namespace

WString StringGrid::Speech::ChildName(int child) const {
  return controls::SpeakRow(RowCells(grid_, child - 1), child - 1 < grid_.fixedRows_).name;
}

WString StringGrid::Speech::ChildValue(int child) const {
  return controls::SpeakRow(RowCells(grid_, child - 1), child - 1 < grid_.fixedRows_).value;
}

// A cell is named by its column's header; its value is its text.
WString StringGrid::Speech::CellName(int, int cell) const {
  return grid_.fixedRows_ > 0 ? grid_.Cell(cell - 1, 0) : WString();
}

WString StringGrid::Speech::CellValue(int child, int cell) const {
  return child - 1 < grid_.fixedRows_ ? WString() : grid_.Cell(cell - 1, child - 1);
}

RECT StringGrid::Speech::CellRect(int child, int cell) const {
  const auto r = grid_.CellRect(cell - 1, child - 1);
  return r ? ToRect(*r) : RECT{};
}

RECT StringGrid::Speech::ChildRect(int child) const {
  const int row = child - 1;
  int band = row;
  if (row >= grid_.fixedRows_) {
    if (row < grid_.TopRow()) return {};
    band = grid_.fixedRows_ + row - grid_.TopRow();
  }
  RECT client;
  ::GetClientRect(grid_.Handle(), &client);
  const int top = band * grid_.rowHeight_;
  if (top >= client.bottom) return {};
  return {0, top, client.right, std::min<LONG>(top + grid_.rowHeight_, client.bottom)};
}

// ---------------------------------------------------------------- contents

void StringGrid::SetDefaultRowHeight(int pixels) {
  rowHeight_ = std::max(pixels, 1);
  Changed();
}

void StringGrid::SetDefaultColWidth(int pixels) {
  model_.SetDefaultColWidth(pixels);
  Changed();
}

void StringGrid::SetColor(view::Rgb background) {
  color_ = background;
  Changed();
}

void StringGrid::SetFixedRows(int rows) {
  fixedRows_ = std::max(rows, 0);
  Changed();
}

void StringGrid::SetRowCount(int rows) {
  model_.SetRowCount(rows);
  Changed();
}

void StringGrid::SetColCount(int cols) {
  model_.SetColCount(cols);
  Changed();
}

void StringGrid::SetCell(int col, int row, const WString& text) {
  model_.SetCell(col, row, text);
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void StringGrid::SetColWidth(int col, int pixels) {
  model_.SetColWidth(col, pixels);
  Changed();
}

std::vector<int> StringGrid::ColWidths() const {
  std::vector<int> widths;
  if (RowCount() == 0) return widths;  // the model knows widths only of cells that exist
  for (int col = 0; col < ColCount(); ++col) widths.push_back(model_.ColWidth(col));
  return widths;
}

int StringGrid::Width() const {
  RECT r;
  ::GetWindowRect(Handle(), &r);
  return r.right - r.left;
}

void StringGrid::Changed() {
  selectedRow_ = std::clamp(selectedRow_, fixedRows_, std::max(fixedRows_, RowCount() - 1));
  UpdateScrollBars();
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

// ---------------------------------------------------------------- scrolling

int StringGrid::VisibleScrolledRows() const {
  RECT client;
  ::GetClientRect(Handle(), &client);
  return std::max(0, int(client.bottom - fixedRows_ * rowHeight_) / rowHeight_);
}

int StringGrid::ScrollableWidth() const {
  int total = 0;
  for (int w : ColWidths()) total += w;
  return total;
}

void StringGrid::UpdateScrollBars() {
  const int scrolled = std::max(0, RowCount() - fixedRows_);
  const int visible = VisibleScrolledRows();
  scrollRows_ = std::clamp(scrollRows_, 0, std::max(0, scrolled - visible));
  SCROLLINFO v{sizeof(v), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, scrolled - 1), UINT(visible), scrollRows_, 0};
  ::SetScrollInfo(Handle(), SB_VERT, &v, TRUE);

  RECT client;
  ::GetClientRect(Handle(), &client);
  if (horizontalBar_) {
    scrollX_ = std::clamp(scrollX_, 0, std::max(0, ScrollableWidth() - int(client.right)));
    SCROLLINFO h{sizeof(h), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, ScrollableWidth() - 1),
                 UINT(std::max<LONG>(client.right, 0)), scrollX_, 0};
    ::SetScrollInfo(Handle(), SB_HORZ, &h, TRUE);
  } else {
    scrollX_ = 0;
  }
}

void StringGrid::ScrollRowsTo(int first) {
  scrollRows_ = first;
  UpdateScrollBars();
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void StringGrid::ScrollXTo(int x) {
  scrollX_ = x;
  UpdateScrollBars();
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void StringGrid::OnVScroll(int request) {
  SCROLLINFO info{sizeof(info), SIF_ALL};
  ::GetScrollInfo(Handle(), SB_VERT, &info);
  const int page = std::max(1, VisibleScrolledRows());
  switch (request) {
    case SB_LINEUP: ScrollRowsTo(scrollRows_ - 1); break;
    case SB_LINEDOWN: ScrollRowsTo(scrollRows_ + 1); break;
    case SB_PAGEUP: ScrollRowsTo(scrollRows_ - page); break;
    case SB_PAGEDOWN: ScrollRowsTo(scrollRows_ + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollRowsTo(info.nTrackPos); break;
    case SB_TOP: ScrollRowsTo(0); break;
    case SB_BOTTOM: ScrollRowsTo(RowCount()); break;
    default: break;
  }
}

void StringGrid::OnHScroll(int request) {
  SCROLLINFO info{sizeof(info), SIF_ALL};
  ::GetScrollInfo(Handle(), SB_HORZ, &info);
  const int page = std::max(1, int(info.nPage));
  switch (request) {
    case SB_LINELEFT: ScrollXTo(scrollX_ - rowHeight_); break;
    case SB_LINERIGHT: ScrollXTo(scrollX_ + rowHeight_); break;
    case SB_PAGELEFT: ScrollXTo(scrollX_ - page); break;
    case SB_PAGERIGHT: ScrollXTo(scrollX_ + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollXTo(info.nTrackPos); break;
    default: break;
  }
}

// ---------------------------------------------------------------- mouse and keys

int StringGrid::ColumnEdgeAt(int x) const {
  return controls::ColumnEdgeAt(ColWidths(), x, scrollX_, dpi::Scale(controls::kColumnGrip, dpi_));
}

int StringGrid::RowAt(int y) const {
  if (y < 0) return -1;
  const int band = y / rowHeight_;
  const int row = band < fixedRows_ ? band : band + scrollRows_;
  return row < RowCount() ? row : -1;
}

void StringGrid::OnMouseDown(int x, int y) {
  ::SetFocus(Handle());
  const int col = y < fixedRows_ * rowHeight_ ? ColumnEdgeAt(x) : -1;
  if (col >= 0) {
    resizingCol_ = col;
    resizeStartX_ = x;
    resizeStartWidth_ = model_.ColWidth(col);
    ::SetCapture(Handle());
    return;
  }
  const int row = RowAt(y);
  if (row >= fixedRows_) SelectRow(row);
}

void StringGrid::OnMouseMove(int x, int) {
  if (resizingCol_ < 0) return;
  const int narrowest = dpi::Scale(controls::kMinColumnWidth, dpi_);
  SetColWidth(resizingCol_, controls::DraggedColumnWidth(resizeStartWidth_, x - resizeStartX_, narrowest));
}

bool StringGrid::OnSetCursor() {
  POINT p;
  ::GetCursorPos(&p);
  ::ScreenToClient(Handle(), &p);
  const bool onEdge = resizingCol_ >= 0 ||
                      (p.y >= 0 && p.y < fixedRows_ * rowHeight_ && ColumnEdgeAt(p.x) >= 0);
  if (!onEdge) return false;
  ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
  return true;
}

void StringGrid::SelectRow(int row) {
  if (RowCount() <= fixedRows_) return;
  selectedRow_ = std::clamp(row, fixedRows_, RowCount() - 1);
  // Keep the selected row in view.
  const int scrolled = selectedRow_ - fixedRows_;
  const int visible = std::max(1, VisibleScrolledRows());
  if (scrolled < scrollRows_) ScrollRowsTo(scrolled);
  else if (scrolled >= scrollRows_ + visible) ScrollRowsTo(scrolled - visible + 1);
  ::InvalidateRect(Handle(), nullptr, FALSE);
  accessible_->FocusChanged(selectedRow_ + 1);
}

void StringGrid::OnKey(WPARAM key) {
  const int page = std::max(1, VisibleScrolledRows());
  switch (key) {
    case VK_UP: SelectRow(selectedRow_ - 1); break;
    case VK_DOWN: SelectRow(selectedRow_ + 1); break;
    case VK_PRIOR: SelectRow(selectedRow_ - page); break;
    case VK_NEXT: SelectRow(selectedRow_ + page); break;
    case VK_HOME: SelectRow(fixedRows_); break;
    case VK_END: SelectRow(RowCount() - 1); break;
    default: break;
  }
}

// ---------------------------------------------------------------- painting

HFONT StringGrid::FontOfPixels(int pixels) {
  auto found = fonts_.find(pixels);
  if (found == fonts_.end()) found = fonts_.emplace(pixels, MakeFontOfPixelHeight(fontFace_, pixels)).first;
  return AsFont(found->second);
}

void StringGrid::PaintCell(HDC dc, int col, int row, const view::Rect& cell) {
  drawing::GridCellPaint look;
  if (onDrawCell_) look = onDrawCell_(col, row, cell);
  else look.background = color_;
  FillSolid(dc, cell, look.background);
  SelectScope font(dc, FontOfPixels(look.fontPixels));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ToColorRef(look.textColour));
  const RECT clip = ToRect(cell);
  const WString text = model_.Cell(col, row);
  ::ExtTextOutW(dc, look.textX, look.textY, ETO_CLIPPED, &clip, win32::Wide(text.c_str()), UINT(text.size()), nullptr);
}

std::optional<view::Rect> StringGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount()) return std::nullopt;
  int band = row;
  if (row >= fixedRows_) {
    if (row < TopRow()) return std::nullopt;
    band = fixedRows_ + row - TopRow();
  }
  const std::vector<int> widths = ColWidths();
  int left = -scrollX_;
  for (int c = 0; c < col; ++c) left += widths[size_t(c)];
  return view::Rect{left, band * rowHeight_, left + widths[size_t(col)], (band + 1) * rowHeight_};
}

std::optional<StringGrid::PaintedCell> StringGrid::Painted(int col, int row) {
  const std::optional<view::Rect> shown = CellRect(col, row);
  if (!shown) return std::nullopt;
  const view::Rect cell = *shown;
  drawing::GridCellPaint look;
  if (onDrawCell_) look = onDrawCell_(col, row, cell);
  WindowDc dc(Handle());
  SelectScope font(dc.Get(), FontOfPixels(look.fontPixels));
  const WString text = model_.Cell(col, row);
  SIZE extent{};
  ::GetTextExtentPoint32W(dc.Get(), win32::Wide(text.c_str()), int(text.size()), &extent);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.Get(), &metrics);
  // The line's full height: ascent and descent, whatever the letters.
  return PaintedCell{cell, {look.textX, look.textY, look.textX + extent.cx, look.textY + metrics.tmHeight}};
}

void StringGrid::Paint() {
  BufferedPaint paint(Handle());
  PaintTo(paint.Dc(), paint.Client());
}

void StringGrid::PaintTo(HDC dc, const RECT& client) {
  FillSolid(dc, FromRect(client), color_);
  const std::vector<int> widths = ColWidths();
  int y = 0, cellsRight = -scrollX_;
  for (int w : widths) cellsRight += w;
  auto paintRow = [&](int row) {
    int x = -scrollX_;
    for (int col = 0; col < ColCount(); ++col) {
      const view::Rect cell{x, y, x + widths[size_t(col)], y + rowHeight_};
      if (cell.right > 0 && cell.left < client.right) PaintCell(dc, col, row, cell);
      x = cell.right;
    }
    y += rowHeight_;
  };
  for (int row = 0; row < std::min(fixedRows_, RowCount()); ++row) paintRow(row);
  for (int row = TopRow(); row < RowCount() && y < client.bottom; ++row) paintRow(row);

  const drawing::EmptyAreaPaint empty = drawing::DecideEmptyArea(cellsRight, y, client.right, client.bottom);
  for (const view::Rect& r : empty.rects) FillHorizontalGradient(dc, r, empty.from, empty.to);
}

LRESULT StringGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_PRINTCLIENT: {
      RECT client;
      ::GetClientRect(Handle(), &client);
      PaintTo(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
      // The empty area follows every resize.
      UpdateScrollBars();
      ::InvalidateRect(Handle(), nullptr, FALSE);
      return 0;
    case WM_VSCROLL: OnVScroll(LOWORD(wParam)); return 0;
    case WM_HSCROLL: OnHScroll(LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: ScrollRowsTo(scrollRows_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnMouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_LBUTTONUP:
      if (::GetCapture() == Handle()) ::ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED: resizingCol_ = -1; return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
      return Default(message, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_GETOBJECT: {
      LRESULT result = 0;
      if (accessible_ && accessible_->Answer(wParam, lParam, result)) return result;
      return Default(message, wParam, lParam);
    }
    case WM_SETFOCUS:
      if (RowCount() > fixedRows_) accessible_->FocusChanged(selectedRow_ + 1);
      return Default(message, wParam, lParam);
    case WM_KEYDOWN: OnKey(wParam); return 0;
    default: return Default(message, wParam, lParam);
  }
}

}  // namespace gui
