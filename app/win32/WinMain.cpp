// Quillon.exe: the process entry. Start-up steps, the Win32 platform, the main
// window and its message loop; then the process ends at once with exit code 0.
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>

#include <exception>

#include "app/ProcessEntry.h"
#include "app/win32/MainWindow.h"
#include "platform/Errors.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/SystemMessage.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace {

[[noreturn]] void RunProgram() {
  // The start-up steps reach the system through the ports, so these go in first.
  // COM for the thread's life: the folder picker (IFileOpenDialog) needs a
  // single-threaded apartment, and CoCreateInstance fails with CO_E_NOTINITIALIZED
  // on a thread that has none. Never undone: the process ends with ExitProcess.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(com)) RaiseOSError(uint32_t(com), u"\r\nCoInitializeEx");
  InstallPlatform(&win32::Win32Platform());
  RunStartupSteps();

  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);

  gui::MainWindow window;
  const int exitCode =
      RunMainWindow(window.Form(), [&] { window.Show(); }, [&] { window.RunMessageLoop(); });
  // At once: the window and the process-wide state are not released.
  ::ExitProcess(UINT(exitCode));
}

void ShowFatal(const WString& message) {
  ::MessageBoxW(nullptr, win32::Wide(message.c_str()), L"Error", MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Only a window that cannot be made ends up here.
  try {
    RunProgram();
  } catch (const std::exception& e) {
    ShowFatal(ExceptionMessage(e));
  }
  ::ExitProcess(1);
}
