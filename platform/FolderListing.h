// One folder's entries, listed by each platform's own calls: MinGW's
// std::filesystem cannot list folders whose paths exceed MAX_PATH, even with the
// "\\?\" prefix (it silently lists another folder), so Windows uses FindFirstFileExW.
#pragma once
#include <system_error>
#include <vector>

#include "platform/Text.h"

namespace paths {

struct FolderEntry {
  enum class Kind { File, Folder, FolderLink };
  WString name;
  Kind kind;
};

// The files (links to files included), folders and links to folders (symbolic
// links, junctions) of `folder`, in the order the file system lists them; other
// entries are left out (docs/behaviour.md). Raises QuillonError with the system's message when the
// folder cannot be listed.
std::vector<FolderEntry> ListFolder(const WString& folder);

// Deletes `folder` with everything below it (a link is removed, never followed;
// read-only files too). A missing folder is no error. On failure `ec` says why
// and what could not be deleted stays.
void RemoveFolderTree(const WString& folder, std::error_code& ec);

}  // namespace paths
