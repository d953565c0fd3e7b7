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

// The driver store a store folder belongs to: DriverStore of DriverStore\FileRepository\<package>.
WString DriverStoreOf(const WString& storeFolder) {
  const WString parent = paths::ExtractFilePath(paths::ExcludeTrailingPathDelimiter(storeFolder));
  return paths::RealLocation(paths::ExtractFilePath(paths::ExcludeTrailingPathDelimiter(parent)));
}

void Walk(const WString& folder, const WString& prefix, const WString& driverStore, const FileVisitor& onFile) {
  for (const paths::FolderEntry& entry : paths::ListFolder(folder)) {
    const WString relative = prefix.empty() ? entry.name : prefix + paths::kPathDelim + entry.name;
    switch (entry.kind) {
      case Kind::Folder:
        Walk(paths::Join(folder, entry.name), relative, driverStore, onFile);
        break;
      case Kind::File:
        if (entry.isLink) {  // a link may lead to any file of the driver store, and nowhere else
          const WString path = paths::Join(folder, entry.name);
          // One whose target is missing is listed: reading it fails, naming it.
          const WString target = paths::RealLocation(path);
          if (!target.empty() && (driverStore.empty() || !paths::IsInsideFolder(target, driverStore)))
            RaiseNotBackedUp(path, u"a link that leads outside the driver store, to " + target);
        }
        onFile(relative, entry.name);
        break;
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

void WalkFiles(const WString& folder, const FileVisitor& onFile) { Walk(folder, {}, DriverStoreOf(folder), onFile); }

}  // namespace devices
