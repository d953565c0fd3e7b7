// A child or top-level window whose messages reach a C++ object: the object is
// stored with the window and each message goes to its HandleMessage.
#pragma once
#include <windows.h>

#include "app/win32/WindowHandles.h"

namespace gui {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return hwnd_.Get(); }

 protected:
  // Registers `className` once (with the given background brush and cursor) and
  // creates the window with this object behind it. Throws QuillonError on failure.
  void Create(const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* text, const RECT& rect,
              HWND parent, HMENU menuOrId, HCURSOR cursor = nullptr);
  // Messages not handled by a subclass.
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  UniqueRoutedWindow hwnd_;
};

// The instance of the running module (the exe, or a test exe).
HINSTANCE ModuleInstance();

// Throws QuillonError with the system's text for the last error, naming `what`.
[[noreturn]] void ThrowLastError(const char* what);

}  // namespace gui
