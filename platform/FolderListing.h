// One folder's entries, listed by each platform's own calls: MinGW's
// std::filesystem cannot list folders whose paths exceed MAX_PATH, even with the
// "\\?\" prefix (it silently lists another folder), so Windows uses FindFirstFileExW.
#pragma once
#include <system_error>
#include <vector>

#include "platform/Text.h"

namespace paths {

struct FolderEntry {
  // BrokenLink: a link whose target is missing (reading it fails with the
  // system's "cannot find the file"). Unreadable: neither a file nor a folder
  // even through a link: a device, a pipe, a socket, an entry whose type cannot be read.
  enum class Kind { File, Folder, FolderLink, BrokenLink, Unreadable };
  WString name;
  Kind kind;
  WString why;     // for Unreadable: what the entry is, e.g. "a pipe, not a file"
  bool isLink = false;  // a symbolic link or reparse point (junction)
};

// Where `path` really is, every link and junction on the way resolved; empty when
// that cannot be found (a missing target, no right to open it).
WString RealLocation(const WString& path);

// Every entry of `folder` in the order the file system lists them: files (links
// to files included), folders, links to folders (symbolic links, junctions),
// broken links and unreadable entries. Raises QuillonError with the system's message when the
// folder cannot be listed.
std::vector<FolderEntry> ListFolder(const WString& folder);

// Deletes `folder` with everything below it (a link is removed, never followed;
// read-only files too). A missing folder is no error. On failure `ec` says why
// and what could not be deleted stays.
void RemoveFolderTree(const WString& folder, std::error_code& ec);

}  // namespace paths
