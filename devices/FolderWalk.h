// The depth-first walk of a driver-store folder that GetFilesList lists.
#pragma once
#include <functional>

#include "platform/Text.h"

namespace devices {

// Calls onFile(relative, name) for every file below `folder`, depth first in the
// order the file system lists entries, a subfolder entered where it is listed;
// `relative` uses the host's delimiter and has none in front. Folders themselves
// are not reported, links to folders not followed. Raises QuillonError when a
// folder cannot be listed.
using FileVisitor = std::function<void(const WString& relative, const WString& name)>;
void WalkFiles(const WString& folder, const FileVisitor& onFile);

}  // namespace devices
