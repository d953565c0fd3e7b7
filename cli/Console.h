// What the command line needs to know of its terminal.
#pragma once
#include <cstdio>

namespace cli {

// True when the stream is an interactive terminal (not a file or a pipe).
bool IsTerminal(std::FILE* stream);
// The width in columns of the terminal `stream` shows on; 0 when it is no
// terminal (nothing is cut).
int TerminalColumns(std::FILE* stream = stdout);
// While alive, a Windows console shows UTF-8 output and terminal sequences; the
// console's own settings come back afterwards (it outlives the program).
// Elsewhere nothing to do.
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  unsigned codePage_ = 0;
  unsigned long errorMode_ = 0;
  bool errorModeSet_ = false;
};

}  // namespace cli
