// tvDevices: a tree-view control numbered as the view's NodeIds. Items carrying a
// device are painted as the form's tvDevicesCustomDrawItem decides; the root is
// left to the control. Selections made by the logic raise no change event.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "app/win32/WindowHandles.h"
#include "app/Drawing.h"
#include "app/View.h"
#include "app/win32/DeviceImageList.h"

namespace gui {

class DeviceTreeView final : public view::ITreeView {
 public:
  using DrawItemHandler = std::function<drawing::TreeItemPaint(
      view::NodeId node, const view::Rect& fullRow, const view::Rect& textRect, view::Rgb background, bool selected)>;

  // Lengths at the window's `dpi`. Throws QuillonError.
  DeviceTreeView(HWND parent, int id, HFONT font, const DeviceImageList& images, int dpi);
  ~DeviceTreeView() override;
  DeviceTreeView(const DeviceTreeView&) = delete;
  DeviceTreeView& operator=(const DeviceTreeView&) = delete;

  void OnDrawItem(DrawItemHandler handler) { onDrawItem_ = std::move(handler); }
  // The font and the indent and item height for the window's `dpi` (the font is
  // the owner's and outlives the tree).
  void SetFontAndDpi(HFONT font, int dpi);
  // NM_CUSTOMDRAW from the control.
  LRESULT CustomDraw(NMTVCUSTOMDRAW& draw);
  // True while the logic itself changes the selection or clears the tree: the
  // control's TVN_SELCHANGED then is no user action.
  bool ChangingSelection() const { return changing_ > 0; }
  // Selects as a click does: the change event follows.
  void SelectAsUser(view::NodeId node);
  // The node at a point in the control's client coordinates, or kNoNode.
  view::NodeId NodeAt(POINT client) const;
  view::NodeId NodeOf(HTREEITEM item) const;
  // The item rectangles the drawing decisions start from.
  view::Rect FullRow(view::NodeId node) const;
  view::Rect TextRect(view::NodeId node) const;
  HWND Handle() const { return hwnd_.Get(); }

  void Clear() override;
  view::NodeId AddChild(view::NodeId parent, const WString& text, TDevice* device) override;
  void Expand(view::NodeId node) override;
  bool Expanded(view::NodeId node) const override;
  view::NodeId Selected() const override;
  void Select(view::NodeId node) override;
  WString Text(view::NodeId node) const override;
  TDevice* Device(view::NodeId node) const override;
  view::NodeId Parent(view::NodeId node) const override;
  std::vector<view::NodeId> Children(view::NodeId node) const override;
  int Count() const override;

 private:
  struct Node {
    HTREEITEM item;
    WString text;
    TDevice* device;
    view::NodeId parent;
  };
  // Throws std::out_of_range for an id the tree does not hold.
  const Node& At(view::NodeId node) const;
  view::Rect ItemRect(view::NodeId node, bool textOnly) const;
  view::Rgb Background() const;
  void Paint(HDC dc, view::NodeId node, const drawing::TreeItemPaint& paint, const view::Rect& fullRow);

  UniqueWindow hwnd_;
  HFONT font_;
  const DeviceImageList& images_;
  DrawItemHandler onDrawItem_;
  std::vector<Node> nodes_;
  int changing_ = 0;
};

}  // namespace gui
