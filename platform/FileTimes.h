// A copied file's date: an archive stores each entry's last-write time, which
// must be the original file's, not the time of the copy.
#pragma once
#include <system_error>

#include "platform/Text.h"

namespace paths {

// Gives the file `to` the last-write time of the file `from` (links followed).
// On failure `ec` says why and `to` keeps its own time.
void CopyLastWriteTime(const WString& from, const WString& to, std::error_code& ec);

}  // namespace paths
