#include "app/win32/MainWindow.h"

#include "app/win32/AboutWindow.h"
#include "app/win32/FolderPicker.h"
#include "app/win32/ProgressWindow.h"
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

RECT WindowRectForClient(int width, int height) {
  RECT r{0, 0, width, height};
  ::AdjustWindowRectEx(&r, kStyle, TRUE, kExStyle);
  return {0, 0, r.right - r.left, r.bottom - r.top};
}

void Place(HWND window, const view::Rect& r) {
  ::MoveWindow(window, r.left, r.top, r.Width(), r.Height(), TRUE);
}

}  // namespace

MainWindow::MainWindow(MainWindowOptions options)
    : options_(std::move(options)),
      formFont_(MakeFont(kFontFace, 9)),
      headerFont_(MakeFont(kFontFace, 10)),
      textFont_(MakeFont(L"Consolas", 10)),
      mainMenu_(MakeMainMenu()),
      popupMenu_(MakeDevicePopupMenu()),
      mnuVerify_(popupMenu_.Get(), kMenuVerify),
      mnuExport_(popupMenu_.Get(), kMenuExport),
      mnuProperties_(popupMenu_.Get(), kMenuProperties),
      mnuIncludeMicrosoft_(mainMenu_.Get(), kMenuIncludeMicrosoft) {
  Create(L"QuillonMainWindow", kStyle, kExStyle, L"NAVU Driver Backup",
         WindowRectForClient(layout::kClientWidth, layout::kClientHeight), nullptr, mainMenu_.Get());
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

void MainWindow::CreateControls() {
  tips_ = std::make_unique<ToolTips>(Handle());
  for (int i = 0; i < layout::kToolbarButtonCount; ++i) {
    const layout::ToolbarButton& spec = layout::ToolbarButtons()[size_t(i)];
    toolbar_[i] = std::make_unique<FlatButton>(Handle(), kIdToolbarFirst + i, spec.caption,
                                               layout::kToolbarBackground, AsFont(formFont_));
    tips_->SetTip(toolbar_[i]->Handle(), spec.hint);
  }
  infoButton_ = std::make_unique<FlatButton>(Handle(), kIdInfoPanel, u"\u25BA", layout::kFormBackground,
                                             AsFont(formFont_));
  tree_ = std::make_unique<DeviceTreeView>(Handle(), kIdTree, AsFont(formFont_), images_);
  deviceInfo_ = std::make_unique<StringGrid>(Handle(), kIdDeviceInfo, true, kFontFace);
  files_ = std::make_unique<StringGrid>(Handle(), kIdFiles, false, kFontFace);
  pages_ = std::make_unique<PageControl>(Handle(), kIdPages, AsFont(formFont_));
  infFile_ = std::make_unique<RichEdit>(pages_->Handle(), kIdInfFile, AsFont(textFont_), kCream);
  output_ = std::make_unique<RichEdit>(pages_->Handle(), kIdOutput, AsFont(textFont_), kCream);
  pages_->AddPage(u"Inf File", infFile_->Handle());
  pages_->AddPage(u"Shell", output_->Handle());
  splitter1_ = std::make_unique<Splitter>(Handle(), kIdSplitter1, Splitter::Direction::Vertical, layout::kFormBackground);
  splitter2_ = std::make_unique<Splitter>(Handle(), kIdSplitter2, Splitter::Direction::Vertical, layout::kFormBackground);
  splitter3_ = std::make_unique<Splitter>(Handle(), kIdSplitter3, Splitter::Direction::Horizontal, layout::kFormBackground);
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
  const view::Rect centred = layout::CentreOver(window.right - window.left, window.bottom - window.top, screen);
  // Centred exactly: only the user's moves snap to the edges.
  placing_ = true;
  ::SetWindowPos(Handle(), nullptr, centred.left, centred.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  placing_ = false;
  shown_ = true;
  ::ShowWindow(Handle(), SW_SHOW);
  ::UpdateWindow(Handle());
  Run(&TfrmMainForm::FormShow);
}

void MainWindow::RunMessageLoop() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
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
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

int MainWindow::MonitorDpi() const {
  // GetDpiForWindow exists from Windows 10 1607 on: bound at run time.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi) {
    if (const UINT dpi = getDpi(Handle())) return int(dpi);
  }
  WindowDc dc(Handle());
  return ::GetDeviceCaps(dc.Get(), LOGPIXELSY);
}

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
  layout_ = layout::DecideMainLayout(client.right, client.bottom, sizes_);
  for (int i = 0; i < layout::kToolbarButtonCount; ++i) {
    const layout::ToolbarButton& spec = layout::ToolbarButtons()[size_t(i)];
    Place(toolbar_[i]->Handle(), {spec.x, layout_.pnlToolbar.top, spec.x + spec.width, layout_.pnlToolbar.bottom});
  }
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
  const int thickness = layout::kSplitterThickness;
  if (which == 2) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    sizes_.devicesWidth = layout::DragSplitter(dragStartSize_, delta, client.right - thickness - layout::kSplitterMinSize);
  } else if (which == 1) {
    sizes_.deviceInfoWidth =
        layout::DragSplitter(dragStartSize_, delta, layout_.Panel5.Width() - thickness - layout::kSplitterMinSize);
  } else {
    sizes_.propertiesHeight =
        layout::DragSplitter(dragStartSize_, delta, layout_.Panel5.Height() - thickness - layout::kExpandPanelHeight);
  }
  Relayout();
  // Splitter3 changes the heights only; the vertical splitters refit the grids.
  if (which != 3) Run(&TfrmMainForm::Splitter2Moved);
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
    r.left += layout::kHeaderTextInset;
    ::DrawTextW(dc, kHeaderCaptions[i], -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

// ---------------------------------------------------------------- user actions

void MainWindow::OnCommand(UINT id) {
  switch (id) {
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
        POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (screen.x == -1 && screen.y == -1) {  // from the keyboard: under the selected node
          const view::NodeId node = tree_->Selected();
          const view::Rect r = node == view::kNoNode ? view::Rect{} : tree_->TextRect(node);
          screen = {r.left, r.bottom};
          ::ClientToScreen(tree_->Handle(), &screen);
        }
        ShowPopupMenu(screen);
        return 0;
      }
      return Default(message, wParam, lParam);
    case WM_WINDOWPOSCHANGING:
      SnapToScreenEdges(*reinterpret_cast<WINDOWPOS*>(lParam));
      return Default(message, wParam, lParam);
    case WM_DPICHANGED:
      return 0;  // laid out in fixed pixels: the window keeps its size
    case WM_CLOSE:
      // The window stays until its object goes; closing ends the message loop.
      ::ShowWindow(Handle(), SW_HIDE);
      closed_ = true;
      ::PostQuitMessage(0);
      return 0;
    case kStartupMessage:
      Run(&TfrmMainForm::StartupMessage);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace gui
