#include "cli/Console.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace cli {

#ifdef _WIN32
bool IsTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
  if (!IsTerminal(stream)) return 0;
  CONSOLE_SCREEN_BUFFER_INFO info;
  const HANDLE console = ::GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (!::GetConsoleScreenBufferInfo(console, &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

Utf8Console::Utf8Console() : codePage_(::GetConsoleOutputCP()) {
  ::SetConsoleOutputCP(CP_UTF8);
  // The progress line rewrites itself with terminal sequences (Windows 10 consoles).
  const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (::GetConsoleMode(err, &mode)) {
    errorMode_ = mode;
    errorModeSet_ = ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
  }
}

Utf8Console::~Utf8Console() {
  if (codePage_) ::SetConsoleOutputCP(codePage_);
  if (errorModeSet_) ::SetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), DWORD(errorMode_));
}
#else
bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
  if (!IsTerminal(stream)) return 0;
  winsize size{};
  if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;
#endif

}  // namespace cli
