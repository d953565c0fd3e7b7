#include "backup/BackupContents.h"

#include <algorithm>

#include "archive/EntryNames.h"
#include "backup/PackageArchive.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"

namespace backup {

bool IsArchiveName(const std::filesystem::path& file) {
  const WString extension = text::FromPath(file.extension());
  return text::EqualsIgnoreCase(extension, u".7z") || text::EqualsIgnoreCase(extension, u".zip");
}

std::vector<std::filesystem::path> ArchivesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> archives;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    // A link is not followed: a backup folder on a disk being read is hostile.
    if (it->is_regular_file(ec) && !it->is_symlink(ec) && IsArchiveName(it->path())) archives.push_back(it->path());
  }
  if (ec) throw QuillonError(u"Cannot list \"" + text::FromPath(folder) + u"\": " + FileErrorText(ec));
  std::sort(archives.begin(), archives.end());
  return archives;
}

std::vector<BackupPackage> ReadArchives(const std::vector<std::filesystem::path>& archives,
                                        const WString& sevenZipLibrary, WStringList& notes) {
  std::vector<BackupPackage> packages;
  for (const std::filesystem::path& archive : archives) {
    try {
      packages.push_back(ReadPackageArchive(archive, sevenZipLibrary));
    } catch (const QuillonError& e) {
      notes.push_back(archive::Printable(e.Message()));
    }
  }
  return packages;
}

BackupContents ReadBackup(const std::filesystem::path& folder, const WString& sevenZipLibrary) {
  BackupContents contents;
  contents.folder = folder;
  const std::vector<std::filesystem::path> archives = ArchivesIn(folder);
  if (archives.empty()) throw QuillonError(u"\"" + text::FromPath(folder) + u"\" holds no .7z or .Zip archive");
  contents.packages = ReadArchives(archives, sevenZipLibrary, contents.notes);
  return contents;
}

}  // namespace backup
