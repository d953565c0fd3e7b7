#include "app/win32/DeviceTreeView.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "app/Dpi.h"
#include "app/win32/Gdi.h"
#include "app/win32/Window.h"
#include "platform/win32/Handles.h"

namespace gui {

namespace {

constexpr int kIndent = 19;         // 96-DPI pixels
constexpr int kMinItemHeight = 18;  // room for the glyphs and icons, 96-DPI pixels

// Counts a change of the selection made by the logic, for its whole scope.
class ChangeScope {
 public:
  explicit ChangeScope(int& counter) : counter_(counter) { ++counter_; }
  ~ChangeScope() { --counter_; }
  ChangeScope(const ChangeScope&) = delete;
  ChangeScope& operator=(const ChangeScope&) = delete;

 private:
  int& counter_;
};

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

DeviceTreeView::DeviceTreeView(HWND parent, int id, HFONT font, const DeviceImageList& images, int dpi)
    : font_(font), images_(images) {
  hwnd_.Attach(::CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | TVS_HASBUTTONS |
                                TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT | TVS_NONEVENHEIGHT,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(INT_PTR(id)), ModuleInstance(), nullptr));
  if (!hwnd_.Get()) ThrowLastError("CreateWindowEx(tree view)");
  ::SendMessageW(hwnd_.Get(), TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
  SetFontAndDpi(font, dpi);
}

void DeviceTreeView::SetFontAndDpi(HFONT font, int dpi) {
  font_ = font;
  ::SendMessageW(hwnd_.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  ::SendMessageW(hwnd_.Get(), TVM_SETINDENT, WPARAM(dpi::Scale(kIndent, dpi)), 0);
  // Back to the font's own height first (-1), then at least the images' room.
  ::SendMessageW(hwnd_.Get(), TVM_SETITEMHEIGHT, WPARAM(-1), 0);
  const int minHeight = dpi::Scale(kMinItemHeight, dpi);
  if (::SendMessageW(hwnd_.Get(), TVM_GETITEMHEIGHT, 0, 0) < minHeight)
    ::SendMessageW(hwnd_.Get(), TVM_SETITEMHEIGHT, minHeight, 0);
}

DeviceTreeView::~DeviceTreeView() {
  // The selection changes a dying tree reports are no user's.
  ChangeScope scope(changing_);
  hwnd_.Close();
}

// ---------------------------------------------------------------- nodes

const DeviceTreeView::Node& DeviceTreeView::At(view::NodeId node) const {
  if (node < 0 || node >= int(nodes_.size())) throw std::out_of_range("no tree node " + std::to_string(node));
  return nodes_[size_t(node)];
}

view::NodeId DeviceTreeView::NodeOf(HTREEITEM item) const {
  if (!item) return view::kNoNode;
  TVITEMW query{};
  query.mask = TVIF_PARAM | TVIF_HANDLE;
  query.hItem = item;
  if (!::SendMessageW(hwnd_.Get(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return view::kNoNode;
  return view::NodeId(query.lParam);
}

void DeviceTreeView::Clear() {
  ChangeScope scope(changing_);
  ::SendMessageW(hwnd_.Get(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  nodes_.clear();
}

view::NodeId DeviceTreeView::AddChild(view::NodeId parent, const WString& text, TDevice* device) {
  HTREEITEM parentItem = parent == view::kNoNode ? TVI_ROOT : At(parent).item;
  const view::NodeId id = view::NodeId(nodes_.size());
  WString copy = text;
  TVINSERTSTRUCTW insert{};
  insert.hParent = parentItem;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = win32::Wide(copy.data());
  insert.item.lParam = id;
  ChangeScope scope(changing_);
  auto item = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(hwnd_.Get(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!item) ThrowLastError("TVM_INSERTITEM");
  nodes_.push_back({item, text, device, parent});
  return id;
}

void DeviceTreeView::Expand(view::NodeId node) {
  ::SendMessageW(hwnd_.Get(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(At(node).item));
}

bool DeviceTreeView::Expanded(view::NodeId node) const {
  const LRESULT state =
      ::SendMessageW(hwnd_.Get(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(At(node).item), TVIS_EXPANDED);
  return (state & TVIS_EXPANDED) != 0;
}

view::NodeId DeviceTreeView::Selected() const { return NodeOf(Next(hwnd_.Get(), nullptr, TVGN_CARET)); }

void DeviceTreeView::Select(view::NodeId node) {
  HTREEITEM item = node == view::kNoNode ? nullptr : At(node).item;
  ChangeScope scope(changing_);
  ::SendMessageW(hwnd_.Get(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void DeviceTreeView::SelectAsUser(view::NodeId node) {
  ::SendMessageW(hwnd_.Get(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(At(node).item));
}

WString DeviceTreeView::Text(view::NodeId node) const { return At(node).text; }
TDevice* DeviceTreeView::Device(view::NodeId node) const { return At(node).device; }
view::NodeId DeviceTreeView::Parent(view::NodeId node) const { return At(node).parent; }

std::vector<view::NodeId> DeviceTreeView::Children(view::NodeId node) const {
  HTREEITEM child =
      node == view::kNoNode ? Next(hwnd_.Get(), nullptr, TVGN_ROOT) : Next(hwnd_.Get(), At(node).item, TVGN_CHILD);
  std::vector<view::NodeId> children;
  for (; child; child = Next(hwnd_.Get(), child, TVGN_NEXT)) children.push_back(NodeOf(child));
  return children;
}

int DeviceTreeView::Count() const { return int(::SendMessageW(hwnd_.Get(), TVM_GETCOUNT, 0, 0)); }

view::NodeId DeviceTreeView::NodeAt(POINT client) const {
  TVHITTESTINFO hit{};
  hit.pt = client;
  HTREEITEM item =
      reinterpret_cast<HTREEITEM>(::SendMessageW(hwnd_.Get(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & TVHT_ONITEM) || (hit.flags & TVHT_ONITEMRIGHT) || (hit.flags & TVHT_ONITEMINDENT) ||
                 (hit.flags & TVHT_ONITEMBUTTON)
             ? NodeOf(item)
             : view::kNoNode;
}

// ---------------------------------------------------------------- drawing

view::Rect DeviceTreeView::ItemRect(view::NodeId node, bool textOnly) const {
  RECT r{};
  HTREEITEM item = At(node).item;  // TVM_GETITEMRECT takes the item in the rectangle
  std::memcpy(&r, &item, sizeof(item));
  if (!::SendMessageW(hwnd_.Get(), TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r))) return {};
  return FromRect(r);
}

view::Rect DeviceTreeView::FullRow(view::NodeId node) const { return ItemRect(node, false); }
view::Rect DeviceTreeView::TextRect(view::NodeId node) const { return ItemRect(node, true); }

view::Rgb DeviceTreeView::Background() const {
  const auto colour = COLORREF(::SendMessageW(hwnd_.Get(), TVM_GETBKCOLOR, 0, 0));
  return FromColorRef(colour == CLR_NONE ? ::GetSysColor(COLOR_WINDOW) : colour);
}

LRESULT DeviceTreeView::CustomDraw(NMTVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const view::NodeId node = view::NodeId(draw.nmcd.lItemlParam);
      if (!onDrawItem_ || node < 0 || node >= int(nodes_.size())) return CDRF_DODEFAULT;
      const bool selected = (::SendMessageW(hwnd_.Get(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(At(node).item),
                                            TVIS_SELECTED) & TVIS_SELECTED) != 0;
      const view::Rect fullRow = FullRow(node);
      const drawing::TreeItemPaint paint = onDrawItem_(node, fullRow, TextRect(node), Background(), selected);
      if (paint.drawnByControl) return CDRF_DODEFAULT;
      Paint(draw.nmcd.hdc, node, paint, fullRow);
      return CDRF_SKIPDEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void DeviceTreeView::Paint(HDC dc, view::NodeId node, const drawing::TreeItemPaint& paint, const view::Rect& fullRow) {
  // Nothing of the control's own drawing of the row may remain.
  FillSolid(dc, fullRow, Background());
  if (paint.glyph >= 0) images_.Draw(paint.glyph, dc, paint.glyphX, paint.glyphY);
  images_.Draw(paint.icon, dc, paint.iconX, paint.iconY);
  SelectScope font(dc, font_);
  const auto textColour = COLORREF(::SendMessageW(hwnd_.Get(), TVM_GETTEXTCOLOR, 0, 0));
  ::SetTextColor(dc, textColour == CLR_NONE ? ::GetSysColor(COLOR_WINDOWTEXT) : textColour);
  ::SetBkMode(dc, OPAQUE);
  ::SetBkColor(dc, ToColorRef(paint.textBackground));
  RECT text = ToRect(paint.textRect);
  const WString& caption = At(node).text;
  ::DrawTextW(dc, win32::Wide(caption.c_str()), int(caption.size()), &text,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace gui
