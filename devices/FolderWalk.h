// The depth-first walk of a driver-store folder that GetFilesList lists.
#pragma once
#include <functional>

#include "platform/Text.h"

namespace devices {

// Calls onFile(relative, name) for every file below `folder` (a store folder:
// DriverStore\FileRepository\<package>\), depth first in the
// order the file system lists entries, a subfolder entered where it is listed;
// `relative` uses the host's delimiter and has none in front. Folders themselves
// are not reported. A link whose target is missing is reported as a file (as the
// Windows listing does): checking or copying it then fails with the system's
// message, naming it. Raises QuillonError when a folder cannot be listed, and,
// naming the entry, at a link to a folder or an entry that is no file (a device,
// a pipe, a socket), and at a link to a file outside the driver store the folder
// belongs to (its real location resolved): nothing is left out without a word,
// and nothing outside the store is read (docs/behaviour.md).
using FileVisitor = std::function<void(const WString& relative, const WString& name)>;
void WalkFiles(const WString& folder, const FileVisitor& onFile);

}  // namespace devices
