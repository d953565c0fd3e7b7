#include "app/win32/MainWindow.h"

#include "app/Dpi.h"
#include "app/DrawingControls.h"
#include "app/win32/AboutWindow.h"
#include "app/win32/FolderPicker.h"
#include "app/win32/ProgressWindow.h"
#include "app/win32/WindowDpi.h"
#include "platform/win32/Handles.h"

namespace gui {

namespace {

enum ControlId : int {
  kIdToolbarFirst = 1001,  // the five toolbar buttons in ToolbarButtonIndex order
  kIdInfoPanel = 1010,
  kIdTree,
  kIdDeviceInfo,
  kIdFiles,
  kIdPages,
  kIdInfFile,
  kIdOutput,
  kIdSplitter1,
  kIdSplitter2,
  kIdSplitter3,
};

constexpr const wchar_t* kFontFace = L"Segoe UI";
constexpr view::Rgb kCream{255, 251, 240};
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;
constexpr int kIconResource = 1;

const wchar_t* const kHeaderCaptions[] = {L"Devices", L"Driver Properties", L"Driver Files"};

bool IsTreeNavigationKey(WPARAM key) {
  switch (key) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
      return true;
    default:
      return false;
  }
}

void Place(HWND window, const view::Rect& r) {
  ::MoveWindow(window, r.left, r.top, r.Width(), r.Height(), TRUE);
}

}  // namespace

MainWindow::MainWindow(MainWindowOptions options)
    : options_(std::move(options)),
      mainMenu_(MakeMainMenu()),
      popupMenu_(MakeDevicePopupMenu()),
      mnuVerify_(popupMenu_.Get(), kMenuVerify),
      mnuExport_(popupMenu_.Get(), kMenuExport),
      mnuProperties_(popupMenu_.Get(), kMenuProperties),
      mnuIncludeMicrosoft_(mainMenu_.Get(), kMenuIncludeMicrosoft) {
  Create(L"QuillonMainWindow", kStyle, kExStyle, L"NAVU Driver Backup",
         WindowRectForClient(layout::kClientWidth, layout::kClientHeight, kStyle, true, kExStyle, dpi::kBase), nullptr,
         mainMenu_.Get());
  // The window's own DPI is known once it exists: its size follows it.
  dpi_ = WindowDpi(Handle());
  sizes_ = layout::InitialSizes(dpi_);
  const RECT outer = WindowRectForClient(layout::ClientWidth(dpi_), layout::ClientHeight(dpi_), kStyle, true, kExStyle,
                                         dpi_);
  ::SetWindowPos(Handle(), nullptr, 0, 0, outer.right, outer.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  images_.Resize(drawing::ImageSize(dpi_));
  MakeFonts();
  if (HICON icon = ::LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(kIconResource))) {
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  CreateControls();
  ConnectHandlers();
  ready_ = true;
  Relayout();
  form_ = std::make_unique<TfrmMainForm>(*this, options_.findSevenZip);
}

MainWindow::~MainWindow() {
  destroying_ = true;
  form_.reset();  // its progress window goes while the main window still exists
  ::SetMenu(Handle(), nullptr);
}

int MainWindow::Scaled(int length) const { return dpi::Scale(length, dpi_); }

void MainWindow::MakeFonts() {
  formFont_ = MakeFont(kFontFace, 9, dpi_);
  headerFont_ = MakeFont(kFontFace, 10, dpi_);
  textFont_ = MakeFont(L"Consolas", 10, dpi_);
  if (!formFont_ || !headerFont_ || !textFont_) ThrowLastError("CreateFontIndirect");
}

void MainWindow::ApplyFonts() {
  for (auto& button : toolbar_) button->SetFont(AsFont(formFont_));
  infoButton_->SetFont(AsFont(formFont_));
  tree_->SetFontAndDpi(AsFont(formFont_), dpi_);
  deviceInfo_->SetDpi(dpi_);
  files_->SetDpi(dpi_);
  ::SendMessageW(pages_->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(AsFont(formFont_)), TRUE);
  for (RichEdit* box : {infFile_.get(), output_.get()})
    ::SendMessageW(box->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(AsFont(textFont_)), TRUE);
}

void MainWindow::CreateControls() {
  tips_ = std::make_unique<ToolTips>(Handle());
  for (int i = 0; i < layout::kToolbarButtonCount; ++i) {
    const layout::ToolbarButton& spec = layout::ToolbarButtons()[size_t(i)];
    toolbar_[i] = std::make_unique<FlatButton>(Handle(), kIdToolbarFirst + i, spec.caption,
                                               layout::kToolbarBackground, AsFont(formFont_), spec.accessKey);
    tips_->SetTip(toolbar_[i]->Handle(), spec.hint);
  }
  infoButton_ = std::make_unique<FlatButton>(Handle(), kIdInfoPanel, u"\u25BA", layout::kFormBackground,
                                             AsFont(formFont_));
  tree_ = std::make_unique<DeviceTreeView>(Handle(), kIdTree, AsFont(formFont_), images_, dpi_);
  deviceInfo_ = std::make_unique<StringGrid>(Handle(), kIdDeviceInfo, true, kFontFace);
  files_ = std::make_unique<StringGrid>(Handle(), kIdFiles, false, kFontFace);
  deviceInfo_->SetDpi(dpi_);
  files_->SetDpi(dpi_);
  deviceInfo_->SetAccessibleName(reinterpret_cast<const char16_t*>(kHeaderCaptions[1]));
  files_->SetAccessibleName(reinterpret_cast<const char16_t*>(kHeaderCaptions[2]));
  pages_ = std::make_unique<PageControl>(Handle(), kIdPages, AsFont(formFont_));
  infFile_ = std::make_unique<RichEdit>(pages_->Handle(), kIdInfFile, AsFont(textFont_), kCream);
  output_ = std::make_unique<RichEdit>(pages_->Handle(), kIdOutput, AsFont(textFont_), kCream);
  pages_->AddPage(u"Inf File", infFile_->Handle());
  pages_->AddPage(u"Shell", output_->Handle());
  splitter1_ = std::make_unique<Splitter>(Handle(), kIdSplitter1, Splitter::Direction::Vertical, layout::kFormBackground);
  splitter2_ = std::make_unique<Splitter>(Handle(), kIdSplitter2, Splitter::Direction::Vertical, layout::kFormBackground);
  splitter3_ = std::make_unique<Splitter>(Handle(), kIdSplitter3, Splitter::Direction::Horizontal, layout::kFormBackground);
  // Focus marks and access keys stay hidden until the keyboard is used.
  ::SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
}

void MainWindow::ConnectHandlers() {
  toolbar_[layout::kScan]->OnClick([this] { Run(&TfrmMainForm::btnScanClick); });
  toolbar_[layout::kVerify]->OnClick([this] { Run(&TfrmMainForm::btnVerifyClick); });
  toolbar_[layout::kExport]->OnClick([this] { Run(&TfrmMainForm::btnExportClick); });
  toolbar_[layout::kExportAll]->OnClick([this] { Run(&TfrmMainForm::btnExportAllClick); });
  toolbar_[layout::kSubmit]->OnClick([this] { Run(&TfrmMainForm::btnSubmitClick); });
  infoButton_->OnClick([this] { Run(&TfrmMainForm::btnInfoPanelClick); });

  tree_->OnDrawItem([this](view::NodeId node, const view::Rect& fullRow, const view::Rect& textRect,
                           view::Rgb background, bool selected) {
    return form_->tvDevicesCustomDrawItem(node, fullRow, textRect, background, selected);
  });
  deviceInfo_->OnDrawCell(
      [this](int col, int row, const view::Rect& cell) { return form_->sgDeviceInfoDrawCell(col, row, cell); });
  files_->OnDrawCell(
      [this](int col, int row, const view::Rect& cell) { return form_->sgFilesDrawCell(col, row, cell); });

  Splitter* splitters[] = {splitter1_.get(), splitter2_.get(), splitter3_.get()};
  for (int which = 1; which <= 3; ++which) {
    splitters[which - 1]->OnDragStart([this, which] { StartSplitterDrag(which); });
    splitters[which - 1]->OnDrag([this, which](int delta) { DragSplitter(which, delta); });
  }
}

Splitter& MainWindow::SplitterOf(int which) {
  return which == 1 ? *splitter1_ : which == 2 ? *splitter2_ : *splitter3_;
}

void MainWindow::Run(void (TfrmMainForm::*handler)()) {
  if (destroying_ || !form_) return;
  RunHandler([this, handler] { (form_.get()->*handler)(); });
}

// ---------------------------------------------------------------- showing and closing

void MainWindow::Show() {
  RECT window;
  ::GetWindowRect(Handle(), &window);
  const view::Rect screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO monitor{sizeof(monitor)};
  view::Rect workArea = screen;
  if (::GetMonitorInfoW(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor))
    workArea = FromRect(monitor.rcWork);
  const view::Rect placed =
      layout::PlaceOnScreen(window.right - window.left, window.bottom - window.top, screen, workArea);
  // Placed exactly: only the user's moves snap to the edges.
  placing_ = true;
  ::SetWindowPos(Handle(), nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  placing_ = false;
  shown_ = true;
  ::ShowWindow(Handle(), SW_SHOW);
  ::UpdateWindow(Handle());
  ::SetFocus(tree_->Handle());  // the keyboard starts in the device tree
  Run(&TfrmMainForm::FormShow);
}

void MainWindow::RunMessageLoop() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (TranslateKeyboard(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void MainWindow::Close() { ::SendMessageW(Handle(), WM_CLOSE, 0, 0); }

void MainWindow::PostStartupMessage() {
  if (!::PostMessageW(Handle(), kStartupMessage, 0, 0)) ThrowLastError("PostMessage");
}

void MainWindow::ProcessMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The loop that called us must still see it.
      ::PostQuitMessage(int(message.wParam));
      return;
    }
    if (form_ && form_->CommandRunning()) {
      if (!PassesWhileBusy(message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
      continue;
    }
    if (TranslateKeyboard(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

int MainWindow::MonitorDpi() const { return dpi_; }

// ---------------------------------------------------------------- other windows

std::unique_ptr<view::IFolderPicker> MainWindow::CreateFolderPicker() {
  if (options_.folderPicker) return options_.folderPicker(Handle());
  return CreateWin32FolderPicker(Handle());
}

std::unique_ptr<view::IProgressWindowView> MainWindow::CreateProgressWindow() {
  return CreateWin32ProgressWindow(Handle());
}

std::unique_ptr<view::IAboutWindowView> MainWindow::CreateAboutWindow() { return CreateWin32AboutWindow(Handle()); }

// ---------------------------------------------------------------- layout

void MainWindow::PanelLayout::SetPropertiesHeight(int pixels) {
  window_.sizes_.propertiesHeight = pixels;
  window_.Relayout();
}

void MainWindow::Relayout() {
  if (!ready_) return;
  RECT client;
  ::GetClientRect(Handle(), &client);
  layout_ = layout::DecideMainLayout(client.right, client.bottom, sizes_, dpi_);
  for (int i = 0; i < layout::kToolbarButtonCount; ++i) Place(toolbar_[i]->Handle(), layout_.toolbarButtons[size_t(i)]);
  Place(tree_->Handle(), layout_.tvDevices);
  Place(splitter2_->Handle(), layout_.Splitter2);
  Place(deviceInfo_->Handle(), layout_.sgDeviceInfo);
  Place(splitter1_->Handle(), layout_.Splitter1);
  Place(files_->Handle(), layout_.sgFiles);
  Place(splitter3_->Handle(), layout_.Splitter3);
  Place(infoButton_->Handle(), layout_.btnInfoPanel);
  pages_->Place(ToRect(layout_.pnlTabSheet));
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void MainWindow::OnSizeChanged(WPARAM kind) {
  if (kind == SIZE_MINIMIZED) return;  // nothing to lay out in a window without a client area
  Relayout();
  if (shown_) Run(&TfrmMainForm::FormResize);
}

void MainWindow::StartSplitterDrag(int which) {
  dragStartSize_ = which == 1 ? sizes_.deviceInfoWidth : which == 2 ? sizes_.devicesWidth : sizes_.propertiesHeight;
}

void MainWindow::DragSplitter(int which, int delta) {
  const int thickness = Scaled(layout::kSplitterThickness), minSize = Scaled(layout::kSplitterMinSize);
  if (which == 2) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    sizes_.devicesWidth = layout::DragSplitter(dragStartSize_, delta, client.right - thickness - minSize, minSize);
  } else if (which == 1) {
    sizes_.deviceInfoWidth =
        layout::DragSplitter(dragStartSize_, delta, layout_.Panel5.Width() - thickness - minSize, minSize);
  } else {
    sizes_.propertiesHeight = layout::DragSplitter(
        dragStartSize_, delta, layout_.Panel5.Height() - thickness - Scaled(layout::kExpandPanelHeight), minSize);
  }
  Relayout();
  // Splitter3 changes the heights only; the vertical splitters refit the grids.
  if (which != 3) Run(&TfrmMainForm::Splitter2Moved);
}

void MainWindow::OnDpiChanged(int newDpi, const RECT& suggested) {
  const int oldDpi = dpi_;
  if (newDpi <= 0 || newDpi == oldDpi) return;
  dpi_ = newDpi;
  sizes_ = layout::RescaleSizes(sizes_, oldDpi, newDpi);
  images_.Resize(drawing::ImageSize(newDpi));
  MakeFonts();
  ApplyFonts();
  // The suggested rectangle is where the system wants the window: taken as it is.
  placing_ = true;
  ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  placing_ = false;
  Relayout();
  if (form_) RunHandler([this, oldDpi, newDpi] { form_->FormAfterMonitorDpiChanged(oldDpi, newDpi); });
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

void MainWindow::SnapToScreenEdges(WINDOWPOS& position) {
  if (placing_ || (position.flags & SWP_NOMOVE)) return;
  RECT current;
  ::GetWindowRect(Handle(), &current);
  const bool sizing = !(position.flags & SWP_NOSIZE) &&
                      (position.cx != current.right - current.left || position.cy != current.bottom - current.top);
  if (sizing || ::IsZoomed(Handle())) return;  // only a moved window snaps
  const int width = current.right - current.left, height = current.bottom - current.top;
  const RECT moved{position.x, position.y, position.x + width, position.y + height};
  MONITORINFO monitor{sizeof(monitor)};
  if (!::GetMonitorInfoW(::MonitorFromRect(&moved, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const view::Rect snapped = layout::SnapToEdges(FromRect(moved), FromRect(monitor.rcWork));
  position.x = snapped.left;
  position.y = snapped.top;
}

// ---------------------------------------------------------------- painting

void MainWindow::Paint() {
  BufferedPaint paint(Handle());
  HDC dc = paint.Dc();
  FillSolid(dc, FromRect(paint.Client()), layout::kFormBackground);
  FillSolid(dc, layout_.pnlToolbar, layout::kToolbarBackground);
  SelectScope font(dc, AsFont(headerFont_));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  const view::Rect headers[] = {layout_.devicesHeader, layout_.deviceInfoHeader, layout_.filesHeader};
  for (size_t i = 0; i < 3; ++i) {
    RECT r = ToRect(headers[i]);
    r.left += Scaled(layout::kHeaderTextInset);
    ::DrawTextW(dc, kHeaderCaptions[i], -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

// ---------------------------------------------------------------- user actions

// While a command runs the window keeps answering, but only as a frame: painting,
// moving, the menu bar and the system keys (Alt+F4) go through; keys and clicks
// that would start something in the controls do not.
bool MainWindow::PassesWhileBusy(const MSG& message) {
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_DEADCHAR:
      return false;
    default:
      // Client-area clicks and the wheel; moving the mouse and the frame (caption,
      // close box, menu bar) stay live.
      return message.message == WM_MOUSEMOVE || message.message < WM_MOUSEFIRST ||
             message.message > WM_MOUSELAST;
  }
}

void MainWindow::OnCommand(UINT id) {
  // A command under way: of the menus only File > Exit, which asks first.
  if (form_ && form_->CommandRunning() && id != kMenuQuit) return;
  switch (id) {
    case kMenuRestore: Run(&TfrmMainForm::mnuRestoreClick); break;
    case kMenuAbout: Run(&TfrmMainForm::mnuAboutClick); break;
    case kMenuQuit: Run(&TfrmMainForm::btnQuitClick); break;
    case kMenuIncludeMicrosoft: Run(&TfrmMainForm::mnuIncludeMicrosoftClick); break;
    case kMenuExport: Run(&TfrmMainForm::btnExportClick); break;
    case kMenuVerify: Run(&TfrmMainForm::btnVerifyClick); break;
    case kMenuProperties: Run(&TfrmMainForm::tvDevicesDblClick); break;
    default: break;
  }
}

void MainWindow::ShowPopupMenu(POINT screen) {
  ::TrackPopupMenu(popupMenu_.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(),
                   nullptr);
}

void MainWindow::ShowPopupMenuAtSelection() {
  const view::NodeId node = tree_->Selected();
  const view::Rect r = node == view::kNoNode ? view::Rect{} : tree_->TextRect(node);
  POINT screen{r.left, r.bottom};
  ::ClientToScreen(tree_->Handle(), &screen);
  ShowPopupMenu(screen);
}

// ---------------------------------------------------------------- keyboard

std::vector<HWND> MainWindow::TabOrder() const {
  std::vector<HWND> order;
  for (const auto& button : toolbar_) order.push_back(button->Handle());
  order.push_back(tree_->Handle());
  order.push_back(deviceInfo_->Handle());
  order.push_back(files_->Handle());
  order.push_back(infoButton_->Handle());
  order.push_back(pages_->Handle());
  order.push_back(pages_->ActivePage() == view::Page::tsOutput ? output_->Handle() : infFile_->Handle());
  return order;
}

void MainWindow::MoveFocus(bool forward) {
  const std::vector<HWND> order = TabOrder();
  std::vector<bool> focusable;
  int current = -1;
  HWND focus = ::GetFocus();
  for (size_t i = 0; i < order.size(); ++i) {
    RECT r{};
    ::GetWindowRect(order[i], &r);
    // A collapsed panel leaves its controls without room: they are skipped.
    focusable.push_back(::IsWindowVisible(order[i]) && ::IsWindowEnabled(order[i]) && !::IsRectEmpty(&r));
    if (order[i] == focus) current = int(i);
  }
  const int next = controls::NextInTabOrder(focusable, current, forward);
  if (next >= 0) ::SetFocus(order[size_t(next)]);
}

void MainWindow::ShowKeyboardCues() {
  ::SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
}

bool MainWindow::PressAccessKey(char16_t key) {
  for (const auto& button : toolbar_) {
    if (!controls::IsAccessKey(key, button->AccessKey())) continue;
    button->Press();
    return true;
  }
  return false;
}

bool MainWindow::TranslateKeyboard(const MSG& message) {
  if (!ready_ || destroying_ || !message.hwnd) return false;
  if (message.hwnd != Handle() && !::IsChild(Handle(), message.hwnd)) return false;  // another window's keys
  const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
  const bool control = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
  const bool onTree = message.hwnd == tree_->Handle();
  const auto key = message.wParam;
  switch (message.message) {
    case WM_KEYDOWN:
      if (key == VK_TAB && !control) {
        ShowKeyboardCues();
        MoveFocus(!shift);
        return true;
      }
      if (key == VK_F5) {
        Run(&TfrmMainForm::btnScanClick);
        return true;
      }
      if (onTree && key == VK_RETURN) {
        Run(&TfrmMainForm::tvDevicesDblClick);
        return true;
      }
      if (onTree && key == VK_APPS) {
        ShowPopupMenuAtSelection();
        return true;
      }
      if (onTree && tree_->Selected() == view::kNoNode && IsTreeNavigationKey(key)) {
        // Nothing selected yet (as after a scan): the first move lands on the root,
        // as a click would select it.
        const auto top = tree_->Children(view::kNoNode);
        if (top.empty()) return false;
        tree_->SelectAsUser(top.front());
        return true;
      }
      return false;
    case WM_KEYUP:
      return onTree && key == VK_APPS;  // its menu has been shown on the way down
    case WM_SYSKEYDOWN:
      if (key == VK_MENU) ShowKeyboardCues();
      if (onTree && key == VK_F10 && shift) {
        ShowPopupMenuAtSelection();
        return true;
      }
      return false;
    case WM_SYSKEYUP:
      return onTree && key == VK_F10 && shift;  // no menu-bar activation after Shift+F10
    case WM_SYSCHAR:
      return PressAccessKey(char16_t(key));
    default:
      return false;
  }
}

void MainWindow::OnTreeRightClick() {
  POINT screen;
  ::GetCursorPos(&screen);
  POINT client = screen;
  ::ScreenToClient(tree_->Handle(), &client);
  // The node under the mouse is selected before the menu opens, as a left click would.
  const view::NodeId node = tree_->NodeAt(client);
  if (node != view::kNoNode && node != tree_->Selected()) tree_->SelectAsUser(node);
  ShowPopupMenu(screen);
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
  if (header.idFrom == kIdTree) {
    switch (header.code) {
      case TVN_SELCHANGEDW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if (!tree_->ChangingSelection()) {
          const view::NodeId node = tree_->NodeOf(change.itemNew.hItem);
          RunHandler([this, node] { form_->tvDevicesChange(node); });
        }
        return 0;
      }
      case NM_CUSTOMDRAW:
        return tree_->CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
      case NM_DBLCLK:
        Run(&TfrmMainForm::tvDevicesDblClick);
        return 0;
      case NM_RCLICK:
        OnTreeRightClick();
        return 1;  // handled: no WM_CONTEXTMENU follows
      default:
        return 0;
    }
  }
  if (header.idFrom == kIdPages && header.code == TCN_SELCHANGE) pages_->SelectionChanged();
  return 0;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (destroying_) return Default(message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      OnSizeChanged(wParam);
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the painting covers the whole client area
    case WM_COMMAND:
      if (lParam == 0) OnCommand(LOWORD(wParam));  // menus; the buttons call their handlers themselves
      return 0;
    case WM_NOTIFY:
      if (!ready_) return 0;
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      if (ready_ && reinterpret_cast<HWND>(wParam) == tree_->Handle()) {
        const POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (screen.x == -1 && screen.y == -1)
          ShowPopupMenuAtSelection();
        else
          ShowPopupMenu(screen);
        return 0;
      }
      return Default(message, wParam, lParam);
    case WM_MENUCHAR: {
      // The menus' texts carry no access keys: a letter picks the item it begins with.
      const auto menu = reinterpret_cast<HMENU>(lParam);
      std::vector<WString> texts;
      for (int i = 0, count = ::GetMenuItemCount(menu); i < count; ++i) {
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
        texts.emplace_back(reinterpret_cast<const char16_t*>(text));
      }
      const int item = controls::MenuItemForKey(texts, char16_t(LOWORD(wParam)));
      if (item >= 0) return MAKELRESULT(item, MNC_EXECUTE);
      return Default(message, wParam, lParam);
    }
    case WM_WINDOWPOSCHANGING:
      SnapToScreenEdges(*reinterpret_cast<WINDOWPOS*>(lParam));
      return Default(message, wParam, lParam);
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE: {
      bool mayClose = true;
      if (form_ && !destroying_) RunHandler([&] { mayClose = form_->FormCloseQuery(); });
      if (!mayClose) return 0;
      // The window stays until its object goes; closing ends the message loop.
      ::ShowWindow(Handle(), SW_HIDE);
      closed_ = true;
      ::PostQuitMessage(0);
      return 0;
    }
    case kStartupMessage:
      Run(&TfrmMainForm::StartupMessage);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace gui
