#include "archive/FileBatch.h"

#include <algorithm>

#include "platform/Errors.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"

namespace archive {

WStringList SplitMasks(WStringView masks) {
  WStringList parts;
  WString current;
  bool quoted = false, any = false;
  auto flush = [&] {
    if (any) parts.push_back(current);
    current.clear();
    any = false;
  };
  for (char16_t c : masks) {
    if (c == u'"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && (c == u';' || c <= u' ')) {
      flush();
    } else {
      current.push_back(c);
      any = true;
    }
  }
  flush();
  return parts;
}

namespace {

struct Listing {
  std::vector<WString> folders, files;
};

// An entry the archive cannot hold is an error, never a silent gap.
[[noreturn]] void RaiseNotArchived(const WString& path, const WString& why) {
  throw QuillonError(u"Cannot archive \"" + path + u"\": it is " + why + u".");
}

Listing ListFolder(const WString& folder) {
  Listing listing;
  for (paths::FolderEntry& entry : paths::ListFolder(folder)) {
    switch (entry.kind) {
      case paths::FolderEntry::Kind::Folder:
        listing.folders.push_back(std::move(entry.name));
        break;
      case paths::FolderEntry::Kind::File:
        listing.files.push_back(std::move(entry.name));
        break;
      case paths::FolderEntry::Kind::FolderLink:
        RaiseNotArchived(folder + entry.name, u"a link to a folder, which is not followed");
      case paths::FolderEntry::Kind::BrokenLink:
        RaiseNotArchived(folder + entry.name, u"a link whose target does not exist");
      case paths::FolderEntry::Kind::Unreadable:
        RaiseNotArchived(folder + entry.name, entry.why);
    }
  }
  auto byName = [](const WString& a, const WString& b) { return text::CompareOrdinal(a, b) < 0; };
  std::sort(listing.folders.begin(), listing.folders.end(), byName);
  std::sort(listing.files.begin(), listing.files.end(), byName);
  return listing;
}

void Visit(const WString& dir, size_t rootLength, const WStringList& masks,
           const std::function<void(const WString&, const WString&)>& visit) {
  const Listing listing = ListFolder(dir);
  for (const WString& sub : listing.folders) Visit(paths::IncludeTrailingPathDelimiter(dir + sub), rootLength, masks, visit);
  for (const WString& mask : masks) {
    for (const WString& name : listing.files) {
      if (!paths::MatchesMask(name, mask)) continue;
      const WString fileName = dir + name;
      visit(fileName, fileName.substr(rootLength));
    }
  }
}

}  // namespace

void ForEachMatchingFile(const WString& folder, const WStringList& masks,
                         const std::function<void(const WString&, const WString&)>& visit) {
  const WString root = paths::IncludeTrailingPathDelimiter(folder);
  Visit(root, root.size(), masks, visit);
}

}  // namespace archive
