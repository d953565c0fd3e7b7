// Files of the output folder are the program's own only when it made them: a
// record or an archive is always created new, never opened through a link and
// never written over a file of the user's.
#pragma once
#include "platform/Text.h"

namespace paths {

// Creates a new, empty file `base` + `extension` in `folder` (O_CREAT | O_EXCL |
// O_NOFOLLOW; CREATE_NEW on Windows). When anything holds that name (a file, a
// folder, a link, even one whose target is missing), the next free one of
// "base (2).ext", "base (3).ext", ... is taken, the rule of the work folder.
// Returns the file's path. Raises QuillonError with the system's words naming
// the file when it cannot be created for another reason.
WString CreateNewFile(const WString& folder, const WString& base, const WString& extension);

}  // namespace paths
