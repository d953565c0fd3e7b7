// Finding the files an archive is made of: mask lists and the depth-first walk of
// a folder tree shared by both archive writers.
#pragma once
#include <functional>

#include "platform/Text.h"

namespace archive {

// Splits at ";", blanks and control characters; a double-quoted part stays together.
WStringList SplitMasks(WStringView masks);

// Visits the files below `folder` that match one of `masks`. The order: depth
// first, the whole content of each subfolder (by name) before the folder's own
// files, those grouped by mask in mask order; a file matching two masks comes
// twice. `fileName` is the full path, `relativePath` it with the folder cut off.
// Hidden and system files are included; folders themselves are not visited.
// Raises on a folder that cannot be listed and, naming it, on a link to a folder
// (not followed) or an entry that is no file.
void ForEachMatchingFile(const WString& folder, const WStringList& masks,
                         const std::function<void(const WString& fileName, const WString& relativePath)>& visit);

}  // namespace archive
