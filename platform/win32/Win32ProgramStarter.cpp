// The program-start port forwarded to shell32 (ShellExecuteW).
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Adapters.h"
#include "platform/win32/Handles.h"

namespace win32 {

namespace {

class Win32ProgramStarter final : public ports::IProgramStarter {
 public:
  intptr_t ShellExecute(const WString& operation, const WString& file, const WString& parameters,
                        const WString& directory, int showCommand) override {
    HINSTANCE rc = ::ShellExecuteW(nullptr, WideOrNull(operation), Wide(file.c_str()), WideOrNull(parameters),
                                   WideOrNull(directory), showCommand);
    return reinterpret_cast<intptr_t>(rc);
  }
};

}  // namespace

std::unique_ptr<ports::IProgramStarter> MakeProgramStarter() { return std::make_unique<Win32ProgramStarter>(); }

}  // namespace win32
