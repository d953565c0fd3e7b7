#include "devices/FolderWalk.h"

#include "platform/Errors.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"

namespace devices {
namespace {

using Kind = paths::FolderEntry::Kind;

[[noreturn]] void RaiseNotBackedUp(const WString& path, const WString& why) {
  throw QuillonError(u"Cannot back up \"" + path + u"\": it is " + why + u".");
}

void Walk(const WString& folder, const WString& prefix, const FileVisitor& onFile) {
  for (const paths::FolderEntry& entry : paths::ListFolder(folder)) {
    const WString relative = prefix.empty() ? entry.name : prefix + paths::kPathDelim + entry.name;
    switch (entry.kind) {
      case Kind::Folder:
        Walk(paths::Join(folder, entry.name), relative, onFile);
        break;
      case Kind::File:
      case Kind::BrokenLink:  // listed: checking or copying it fails, naming it
        onFile(relative, entry.name);
        break;
      case Kind::FolderLink:  // followed, it could lead anywhere, even back up the tree
        RaiseNotBackedUp(paths::Join(folder, entry.name), u"a link to a folder, which is not followed");
      case Kind::Unreadable:
        RaiseNotBackedUp(paths::Join(folder, entry.name), entry.why);
    }
  }
}

}  // namespace

void WalkFiles(const WString& folder, const FileVisitor& onFile) { Walk(folder, {}, onFile); }

}  // namespace devices
