// Host paths for the file helpers of the driver folders and the archives.
#pragma once
#include <filesystem>

#include "platform/Text.h"

namespace paths {

// The host path of a path text. On Windows an absolute path gets the "\\?\"
// prefix, so that the file APIs accept paths of 260 characters and more (also
// below a short folder whose files lie deeper).
std::filesystem::path HostPath(const WString& path);

// Raises QuillonError when the text holds a character no path may hold.
void CheckPathCharacters(const WString& path);

}  // namespace paths
