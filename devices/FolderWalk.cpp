#include "devices/FolderWalk.h"

#include "platform/FolderListing.h"
#include "platform/Paths.h"

namespace devices {
namespace {

void Walk(const WString& folder, const WString& prefix, const FileVisitor& onFile) {
  for (const paths::FolderEntry& entry : paths::ListFolder(folder)) {
    const WString relative = prefix.empty() ? entry.name : prefix + paths::kPathDelim + entry.name;
    if (entry.kind == paths::FolderEntry::Kind::Folder)
      Walk(paths::Join(folder, entry.name), relative, onFile);
    else if (entry.kind == paths::FolderEntry::Kind::File)
      onFile(relative, entry.name);
  }
}

}  // namespace

void WalkFiles(const WString& folder, const FileVisitor& onFile) { Walk(folder, {}, onFile); }

}  // namespace devices
