// Host paths for the file helpers of the driver folders and the archives.
#pragma once
#include <filesystem>

#include "platform/Text.h"

namespace paths {

// The host path of a path text. On Windows an absolute path too long for the
// plain form (260 characters) gets the "\\?\" prefix, so that the file APIs
// accept it; a shorter one stays plain. msvcrt's stat, which std::filesystem's
// status, exists, file_size, copy_file and remove ask, answers "no such file"
// for any path holding '?': a long path is for the file APIs themselves.
std::filesystem::path HostPath(const WString& path);

// Raises QuillonError when the text holds a character no path may hold.
void CheckPathCharacters(const WString& path);

}  // namespace paths
