// The shell port forwarded to shell32.
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"

namespace win32 {

namespace {

class Win32Shell final : public ports::IShell {
 public:
  intptr_t ShellExecute(const WString& operation, const WString& file, const WString& parameters,
                        const WString& directory, int showCommand) override {
    HINSTANCE rc = ::ShellExecuteW(nullptr, WideOrNull(operation), Wide(file.c_str()), WideOrNull(parameters),
                                   WideOrNull(directory), showCommand);
    return reinterpret_cast<intptr_t>(rc);
  }
};

}  // namespace

std::unique_ptr<ports::IShell> MakeShell() { return std::make_unique<Win32Shell>(); }

}  // namespace win32
