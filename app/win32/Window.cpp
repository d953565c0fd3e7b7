#include "app/win32/Window.h"

#include <string>

#include "app/RunHandler.h"
#include "platform/Errors.h"
#include "platform/SystemMessage.h"

namespace gui {

namespace {

// The object being created: WM_NCCREATE and a few earlier messages arrive
// before CreateWindowExW returns, so the pointer travels in lpCreateParams.
struct CreateParams {
  Window* window;
};

}  // namespace

HINSTANCE ModuleInstance() { return ::GetModuleHandleW(nullptr); }

void ThrowLastError(const char* what) {
  const DWORD code = ::GetLastError();
  const WString system = SystemMessageTrimmed(code);
  WString message = text::FromUtf8(std::string(what) + ": ");
  message += !system.empty() ? system : text::FromUtf8("system error " + std::to_string(code));
  throw OSError(code, message);
}

Window::~Window() = default;

void Window::Create(const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* text, const RECT& rect,
                    HWND parent, HMENU menuOrId, HCURSOR cursor) {
  WNDCLASSEXW wc{};
  if (!::GetClassInfoExW(ModuleInstance(), className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = ModuleInstance();
    wc.hCursor = cursor ? cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    if (!::RegisterClassExW(&wc)) ThrowLastError("RegisterClassEx");
  }
  CreateParams params{this};
  HWND created = ::CreateWindowExW(exStyle, className, text, style, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, parent, menuOrId, ModuleInstance(), &params);
  if (!created) ThrowLastError("CreateWindowEx");
  if (hwnd_.Get() != created) hwnd_.Attach(created);  // WM_NCCREATE already took it
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd_.Get(), message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* params = static_cast<CreateParams*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    params->window->hwnd_.Attach(hwnd);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(params->window));
  }
  auto* window = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  // No C++ error may cross the system's frames: it is shown as the form's
  // handlers show theirs, and the message counts as handled.
  LRESULT result = 0;
  RunHandler([&] { result = window->HandleMessage(message, wParam, lParam); });
  return result;
}

}  // namespace gui
