// The message-box port: a standard message box with one OK button (Yes and No
// for a question), owned by the active window so that it stays in front of the program.
#include <windows.h>

#include "platform/MessageDialogs.h"
#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"

namespace win32 {

namespace {

class Win32MessageDialogs final : public ports::IMessageDialogs {
 public:
  void ShowMessage(ports::MessageKind kind, const WString& text) override {
    const wchar_t* caption = L"Information";
    UINT icon = MB_ICONINFORMATION;
    if (kind == ports::MessageKind::Error) caption = L"Error", icon = MB_ICONERROR;
    if (kind == ports::MessageKind::Warning) caption = L"Warning", icon = MB_ICONWARNING;
    ::MessageBoxW(::GetActiveWindow(), Wide(text.c_str()), caption, MB_OK | icon);
  }
  bool AskYesNo(const WString& question) override {
    return ::MessageBoxW(::GetActiveWindow(), Wide(question.c_str()), L"Confirm", MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
};

}  // namespace

std::unique_ptr<ports::IMessageDialogs> MakeMessageDialogs() { return std::make_unique<Win32MessageDialogs>(); }

}  // namespace win32
