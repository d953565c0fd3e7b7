// What the command line needs to know of its terminal.
#pragma once
#include <cstdio>

namespace cli {

// True when the stream is an interactive terminal (not a file or a pipe).
bool IsTerminal(std::FILE* stream);
// The width in columns of the terminal `stream` shows on; 0 when it is no
// terminal (nothing is cut).
int TerminalColumns(std::FILE* stream = stdout);
// Windows consoles: UTF-8 output and terminal sequences. Elsewhere nothing to do.
void UseUtf8Console();

}  // namespace cli
