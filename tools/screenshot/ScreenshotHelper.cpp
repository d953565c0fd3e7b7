// quillon-screenshot-helper: what scripts/screenshot needs from inside Wine.
// Quillon.exe takes no arguments, so the script drives it from the outside
// through this helper (the window's own messages), and shows a progress window
// of its own for the picture, since a real one only lives while a command runs.
//
//   wait-ready SECONDS   until the main window is up, the first scan is over
//                        and no progress window is left
//   select-device        selects the first device of the first class node
//   toggle-tabs          clicks btnInfoPanel (shows or collapses the text tabs)
//   about                opens the About window through File > About
//   close-about          closes it again
//   rect main|progress|about   prints the window's W H X Y
//   progress SECONDS     shows a progress window with a sample command's texts
// Exit code 0 on success, 1 when the window or control was not found in time.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/ProgressFormUnit.h"
#include "app/win32/AboutWindow.h"
#include "app/win32/Menus.h"
#include "app/win32/ProgressWindow.h"
#include "app/win32/WindowDpi.h"

namespace {

constexpr const wchar_t* kMainCaption = L"NAVU Driver Backup";

HWND MainWindow() {
  HWND main = ::FindWindowW(nullptr, kMainCaption);
  return main && ::IsWindowVisible(main) ? main : nullptr;
}

HWND VisibleWindowOfClass(const wchar_t* className) {
  HWND hwnd = ::FindWindowW(className, nullptr);
  return hwnd && ::IsWindowVisible(hwnd) ? hwnd : nullptr;
}

HWND ChildOfClass(HWND parent, const wchar_t* className, bool (*accept)(HWND) = nullptr) {
  for (HWND child = ::FindWindowExW(parent, nullptr, className, nullptr); child;
       child = ::FindWindowExW(parent, child, className, nullptr))
    if (!accept || accept(child)) return child;
  return nullptr;
}

// Polls `ready` every 100 ms for up to `seconds`.
template <class Ready>
bool WaitFor(double seconds, Ready ready) {
  for (double waited = 0; waited < seconds; waited += 0.1) {
    if (ready()) return true;
    ::Sleep(100);
  }
  return ready();
}

HWND Tree() { return MainWindow() ? ChildOfClass(MainWindow(), WC_TREEVIEWW) : nullptr; }

int WaitReady(double seconds) {
  // Ready when the tree holds more than its root and no progress window has
  // been seen for a second: the start-up scan has finished.
  int quietTicks = 0;
  const bool ready = WaitFor(seconds, [&] {
    HWND tree = Tree();
    const bool scanned = tree && ::SendMessageW(tree, TVM_GETCOUNT, 0, 0) > 1;
    quietTicks = scanned && !VisibleWindowOfClass(gui::kProgressWindowClass) ? quietTicks + 1 : 0;
    return quietTicks >= 10;
  });
  if (!ready) std::fprintf(stderr, "the main window did not finish its first scan\n");
  return ready ? 0 : 1;
}

int SelectDevice() {
  HWND tree = Tree();
  if (!tree) return 1;
  auto next = [tree](UINT how, HTREEITEM from) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
  };
  HTREEITEM root = next(TVGN_ROOT, nullptr);
  HTREEITEM classNode = root ? next(TVGN_CHILD, root) : nullptr;
  HTREEITEM device = classNode ? next(TVGN_CHILD, classNode) : nullptr;
  if (!device) return 1;
  // The tree tells its window, which shows the device as after a click.
  ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(device));
  return 0;
}

// btnInfoPanel is the main window's one flat button with a one-character caption.
int ToggleTabs() {
  HWND main = MainWindow();
  if (!main) return 1;
  HWND button = ChildOfClass(main, L"QuillonFlatButton", [](HWND b) { return ::GetWindowTextLengthW(b) == 1; });
  if (!button) return 1;
  ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  ::SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  return 0;
}

int OpenAbout() {
  HWND main = MainWindow();
  if (!main) return 1;
  ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(gui::kMenuAbout, 0), 0);
  return WaitFor(10, [] { return VisibleWindowOfClass(gui::kAboutWindowClass) != nullptr; }) ? 0 : 1;
}

int CloseAbout() {
  HWND about = VisibleWindowOfClass(gui::kAboutWindowClass);
  if (!about) return 1;
  ::PostMessageW(about, WM_CLOSE, 0, 0);
  return WaitFor(10, [] { return VisibleWindowOfClass(gui::kAboutWindowClass) == nullptr; }) ? 0 : 1;
}

int PrintRect(const std::wstring& which) {
  HWND hwnd = which == L"main"       ? MainWindow()
              : which == L"progress" ? VisibleWindowOfClass(gui::kProgressWindowClass)
              : which == L"about"    ? VisibleWindowOfClass(gui::kAboutWindowClass)
                                     : nullptr;
  RECT r{};
  if (!hwnd || !::GetWindowRect(hwnd, &r)) return 1;
  std::printf("%ld %ld %ld %ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
  return 0;
}

// A progress window as Export All shows it half-way through a large driver.
int ShowProgress(double seconds) {
  TfrmProgress progress(CreateWin32ProgressWindow(nullptr));
  progress.SetTitle(u"Exporting Driver");
  progress.SetText(u"Litware Virtual Audio");
  progress.SetFormatAsBytes(true);
  progress.SetProgressBar(int64_t(3) << 20, int64_t(8) << 20);
  const DWORD end = ::GetTickCount() + DWORD(seconds * 1000);
  while (::GetTickCount() < end) {
    MSG msg;
    bool painted = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      painted = painted || msg.message == WM_PAINT;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    // The bar is not part of the window's painting: put it back after one.
    if (painted) progress.DrawProgressBar();
    ::Sleep(50);
  }
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: quillon-screenshot-helper wait-ready SECONDS | select-device | toggle-tabs | about |\n"
               "       close-about | rect main|progress|about | progress SECONDS\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // As Quillon.exe's manifest declares: its progress window is drawn at the screen's DPI.
  gui::BecomePerMonitorDpiAware();
  if (argc < 2) return Usage();
  const std::wstring command = argv[1];
  const std::wstring argument = argc > 2 ? argv[2] : L"";
  if (command == L"wait-ready") return WaitReady(argument.empty() ? 60 : _wtof(argument.c_str()));
  if (command == L"select-device") return SelectDevice();
  if (command == L"toggle-tabs") return ToggleTabs();
  if (command == L"about") return OpenAbout();
  if (command == L"close-about") return CloseAbout();
  if (command == L"rect") return PrintRect(argument);
  if (command == L"progress") return ShowProgress(argument.empty() ? 10 : _wtof(argument.c_str()));
  return Usage();
}
