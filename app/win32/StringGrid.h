// sgDeviceInfo and sgFiles: a small grid of text cells of our own. Every cell is
// painted as the form's DrawCell decision says, the client area the cells leave
// free gets the empty-area gradient; the header row stays put while the rows
// below it scroll; header column edges can be dragged to resize a column.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/Drawing.h"
#include "app/MemoryView.h"
#include "app/View.h"
#include "app/win32/Accessible.h"
#include "app/win32/Gdi.h"
#include "app/win32/Window.h"

namespace gui {

class StringGrid final : public Window, public view::IStringGrid {
 public:
  using DrawCellHandler = std::function<drawing::GridCellPaint(int col, int row, const view::Rect& cell)>;

  // `horizontalScrollBar`: false gives a grid with the vertical bar only.
  StringGrid(HWND parent, int id, bool horizontalScrollBar, const wchar_t* fontFace);

  void OnDrawCell(DrawCellHandler handler) { onDrawCell_ = std::move(handler); }
  // The window's DPI: the column edges' grip and the narrowest column follow it.
  void SetDpi(int dpi) { dpi_ = dpi; }
  // What screen readers call the grid (its header strip's caption).
  void SetAccessibleName(const WString& name) { accessibleName_ = name; }

  void SetDefaultRowHeight(int pixels) override;
  void SetDefaultColWidth(int pixels) override;
  void SetColor(view::Rgb background) override;
  void SetFixedRows(int rows) override;
  int RowCount() const override { return model_.RowCount(); }
  void SetRowCount(int rows) override;
  int ColCount() const override { return model_.ColCount(); }
  void SetColCount(int cols) override;
  // Cells outside the grid throw std::out_of_range: the logic sizes the grid first.
  WString Cell(int col, int row) const override { return model_.Cell(col, row); }
  void SetCell(int col, int row, const WString& text) override;
  int ColWidth(int col) const override { return model_.ColWidth(col); }
  void SetColWidth(int col, int pixels) override;
  int Width() const override;

  int DefaultRowHeight() const { return rowHeight_; }
  int FixedRows() const { return fixedRows_; }
  view::Rgb Color() const { return color_; }
  int TopRow() const { return fixedRows_ + scrollRows_; }  // first scrolled row shown
  int SelectedRow() const { return selectedRow_; }

  // Where a shown cell is and where its text goes as it is painted (the text's
  // origin and its extent in the cell's font); nothing for a cell out of view.
  struct PaintedCell {
    view::Rect cell;
    view::Rect text;
  };
  std::optional<PaintedCell> Painted(int col, int row);

 private:
  // The grid as screen readers read it: a table, one child per row.
  class Speech final : public AccessibleModel {
   public:
    explicit Speech(StringGrid& grid) : grid_(grid) {}
    long Role() const override { return ROLE_SYSTEM_TABLE; }
    WString Name() const override { return grid_.accessibleName_; }
    int ChildCount() const override { return grid_.RowCount(); }
    long ChildRole(int child) const override;
    WString ChildName(int child) const override;
    WString ChildValue(int child) const override;
    bool ChildSelected(int child) const override { return child - 1 == grid_.selectedRow_; }
    RECT ChildRect(int child) const override;
    int CellCount(int) const override { return grid_.ColCount(); }
    WString CellName(int child, int cell) const override;
    WString CellValue(int child, int cell) const override;
    RECT CellRect(int child, int cell) const override;

   private:
    StringGrid& grid_;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint();
  void PaintTo(HDC dc, const RECT& client);
  void PaintCell(HDC dc, int col, int row, const view::Rect& cell);
  HFONT FontOfPixels(int pixels);
  void Changed();  // scroll ranges and painting follow every change
  void UpdateScrollBars();
  int VisibleScrolledRows() const;  // rows below the header that fit completely
  int ScrollableWidth() const;
  void ScrollRowsTo(int first);
  void ScrollXTo(int x);
  void OnVScroll(int request);
  void OnHScroll(int request);
  void OnMouseDown(int x, int y);
  void OnMouseMove(int x, int y);
  bool OnSetCursor();
  void OnKey(WPARAM key);
  void SelectRow(int row);
  int RowAt(int y) const;  // -1 when no row is there
  // A cell's rectangle in client coordinates; nothing when it is scrolled out of view.
  std::optional<view::Rect> CellRect(int col, int row) const;
  int ColumnEdgeAt(int x) const;  // the column whose right edge the header grabs at x, or -1
  std::vector<int> ColWidths() const;

  bool horizontalBar_;
  const wchar_t* fontFace_;
  DrawCellHandler onDrawCell_;
  // Cells, row and column counts and widths, kept as the in-memory grid keeps
  // them (the same contract); this control adds the window around them.
  memview::MemoryGrid model_{0};
  int rowHeight_ = 24;
  int fixedRows_ = 1;
  view::Rgb color_{255, 255, 255};
  int scrollRows_ = 0;  // scrolled rows hidden above the first one shown
  int scrollX_ = 0;
  int selectedRow_ = 1;
  int dpi_ = 96;
  int resizingCol_ = -1;
  int resizeStartX_ = 0;
  int resizeStartWidth_ = 0;
  std::map<int, UniqueGdiObject> fonts_;  // by character height in pixels
  WString accessibleName_;
  Speech speech_{*this};
  std::unique_ptr<AccessibleWindow> accessible_;
};

}  // namespace gui
