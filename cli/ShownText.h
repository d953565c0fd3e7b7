// Text from the disk as the terminal shows it: control characters made visible
// (text::Visible), so that escape sequences on the disk never run in the user's
// terminal. Everything the command line prints that came from the disk (names,
// paths, messages, reports, an INF's text) goes through one of these.
#pragma once
#include <ostream>
#include <string>

#include "platform/Text.h"

namespace cli {

// One line: every control character made visible; UTF-8.
std::string Shown(WStringView text);
// A text of the window (CR LF, CR or LF line ends) with "\n" line ends and every
// other control character but the tab made visible; UTF-8.
std::string PlainLines(WStringView text);
// The same written to `out` a bounded piece at a time: a large text (an INF's
// first MiBs, perhaps all NULs, each shown as four characters) costs no copy
// of its own size.
void WritePlainLines(std::ostream& out, WStringView text);

}  // namespace cli
