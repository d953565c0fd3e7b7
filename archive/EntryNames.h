// The names of archive entries, checked before anything is extracted: a name
// must be a relative path that stays inside the folder it is extracted to on
// Windows as on Linux.
#pragma once
#include "platform/Text.h"

namespace archive {

// The parts of `name` ('/' or '\' between them; empty and "." parts dropped).
// Raises ArchiveError naming the archive and the entry when the name is absolute
// or has a drive letter, a "..", a ':' (also an alternate data stream), a
// control character, or a part that is a Windows device name (CON, PRN, AUX,
// NUL, COM0-9, LPT0-9, with or without an extension, in any case) or that
// ends with a dot or a blank (Windows would drop them and write another name).
WStringList CheckedEntryPath(const WString& archive, const WString& name);

// `s` with control characters written as \xNN, for messages: an entry name
// never reaches a terminal raw.
WString Printable(WStringView s);

}  // namespace archive
