// The few file operations a backup does on paths of any length: on Windows they
// are the file APIs on HostPath's "\\?\" paths. std::filesystem cannot do them
// there: MinGW's runs on msvcrt.dll, whose stat answers "no such file" for any
// path holding '?', so its is_directory, create_directories, copy_file, remove
// and file_size fail (or, for remove, silently do nothing) beyond MAX_PATH.
#pragma once
#include <cstdint>
#include <system_error>

#include "platform/Text.h"

namespace paths {

// Whether `path` is a folder (a link to one included).
bool IsFolder(const WString& path);

// Whether `path` is a file (a link to one included), not a folder.
bool IsFile(const WString& path);

// Creates `folder` and every missing folder above it. On failure `ec` says why.
void CreateFolders(const WString& folder, std::error_code& ec);

// Copies the file `from` (a link is followed) to `to`, replacing a file there.
// On failure `ec` says why.
void CopyFileOver(const WString& from, const WString& to, std::error_code& ec);

// Deletes the file `path`; a missing file is no error. On failure `ec` says why.
void RemoveFile(const WString& path, std::error_code& ec);

// The size of the file `path` (a link is followed); 0 with `ec` set on failure.
uint64_t FileSize(const WString& path, std::error_code& ec);

}  // namespace paths
