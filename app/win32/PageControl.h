// PageControl1: a tab control in flat-button style whose pages are child windows
// shown one at a time ("Inf File" holds reInfFile, "Shell" holds reOutput).
#pragma once
#include <windows.h>

#include <vector>

#include "app/win32/WindowHandles.h"
#include "app/View.h"
#include "platform/Text.h"

namespace gui {

class PageControl final : public view::IPageControl {
 public:
  PageControl(HWND parent, int id, HFONT font);  // throws QuillonError
  PageControl(const PageControl&) = delete;
  PageControl& operator=(const PageControl&) = delete;

  // Adds a tab; `page` is a child of Handle() and fills the tab's display area.
  void AddPage(const WString& caption, HWND page);
  // Places the control; the pages follow.
  void Place(const RECT& rect);
  // The user picked another tab (TCN_SELCHANGE): show its page.
  void SelectionChanged();

  view::Page ActivePage() const override;
  void SetActivePage(view::Page page) override;

  HWND Handle() const { return tabs_.Get(); }
  WString Caption(int index) const;
  int PageCount() const { return int(pages_.size()); }
  HWND PageWindow(int index) const { return pages_.at(size_t(index)); }

 private:
  void ShowSelected();
  UniqueWindow tabs_;
  std::vector<HWND> pages_;
};

}  // namespace gui
