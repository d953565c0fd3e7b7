// Owners of the window system's handles the windows keep (platform/UniqueHandle.h):
// windows, menus, image lists and device contexts. A raw HWND elsewhere is a
// window someone else owns.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/UniqueHandle.h"

namespace gui {

// A window, destroyed unless it is gone already (a parent takes its children along).
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static bool IsValid(HWND h) { return h != nullptr; }
  static void Close(HWND h) {
    if (::IsWindow(h)) ::DestroyWindow(h);
  }
};

// A window whose messages reach a C++ object: the object is unhooked first, so
// the messages of the dying window reach nothing.
struct RoutedWindowTraits {
  static HWND Invalid() { return nullptr; }
  static bool IsValid(HWND h) { return h != nullptr; }
  static void Close(HWND h) {
    if (!::IsWindow(h)) return;
    ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    ::DestroyWindow(h);
  }
};

struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static bool IsValid(HMENU h) { return h != nullptr; }
  static void Close(HMENU h) { ::DestroyMenu(h); }
};

struct ImageListTraits {
  static HIMAGELIST Invalid() { return nullptr; }
  static bool IsValid(HIMAGELIST h) { return h != nullptr; }
  static void Close(HIMAGELIST h) { ::ImageList_Destroy(h); }
};

// A memory device context (CreateCompatibleDC).
struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static bool IsValid(HDC h) { return h != nullptr; }
  static void Close(HDC h) { ::DeleteDC(h); }
};

// A window's device context (GetDC), released to the window it came from.
struct WindowDcHandle {
  HWND window = nullptr;
  HDC dc = nullptr;
};
struct WindowDcTraits {
  static WindowDcHandle Invalid() { return {}; }
  static bool IsValid(const WindowDcHandle& h) { return h.dc != nullptr; }
  static void Close(const WindowDcHandle& h) { ::ReleaseDC(h.window, h.dc); }
};

using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueRoutedWindow = UniqueHandle<RoutedWindowTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

// A window's DC for the life of a scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : dc_(WindowDcHandle{window, ::GetDC(window)}) {}
  HDC Get() const { return dc_.Get().dc; }

 private:
  UniqueHandle<WindowDcTraits> dc_;
};

}  // namespace gui
