#include "backup/BackupContents.h"

#include <algorithm>
#include <map>
#include <optional>

#include "archive/EntryNames.h"
#include "backup/BackupIndex.h"
#include "backup/PackageArchive.h"
#include "platform/Errors.h"
#include "platform/FileOps.h"
#include "platform/FolderListing.h"

namespace backup {
namespace {

// The folder's own files, listed by the platform's file APIs (paths of any length).
// A link is not followed: a backup folder on a disk being read is hostile.
std::vector<std::filesystem::path> PlainFilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  for (const paths::FolderEntry& entry : paths::ListFolder(text::FromPath(folder)))
    if (entry.kind == paths::FolderEntry::Kind::File && !entry.isLink) files.push_back(folder / text::ToPath(entry.name));
  return files;
}

}  // namespace

bool IsArchiveName(const std::filesystem::path& file) {
  const WString extension = text::FromPath(file.extension());
  return text::EqualsIgnoreCase(extension, u".7z") || text::EqualsIgnoreCase(extension, u".zip");
}

std::vector<std::filesystem::path> ArchivesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> archives;
  for (const std::filesystem::path& file : PlainFilesIn(folder))
    if (IsArchiveName(file)) archives.push_back(file);
  std::sort(archives.begin(), archives.end());
  return archives;
}

std::optional<std::filesystem::path> NewestIndex(const std::filesystem::path& folder) {
  std::optional<std::filesystem::path> newest;
  for (const std::filesystem::path& file : PlainFilesIn(folder)) {
    const WString name = text::FromPath(file.filename());
    // The stamp in the name orders the indexes by time.
    if (IsIndexName(name) && (!newest || text::CompareOrdinal(name, text::FromPath(newest->filename())) > 0))
      newest = file;
  }
  return newest;
}

namespace {

std::vector<BackupPackage> ReadArchives(const std::vector<std::filesystem::path>& archives,
                                        const WString& sevenZipLibrary, WStringList& notes) {
  std::vector<BackupPackage> packages;
  for (const std::filesystem::path& archive : archives) {
    try {
      packages.push_back(ReadPackageArchive(archive, sevenZipLibrary));
    } catch (const QuillonError& e) {
      notes.push_back(e.Message());
    }
  }
  return packages;
}

WString IndexMismatch(const BackupIndex& index, const std::vector<std::filesystem::path>& archives) {
  if (!index.submission.empty()) return u"it describes the submission " + index.submission;
  std::map<WString, uint64_t> indexed;
  for (const BackupPackage& p : index.packages) indexed[p.archive] = p.archiveSize;
  for (const std::filesystem::path& archive : archives) {
    const WString name = text::FromPath(archive.filename());
    const auto it = indexed.find(name);
    if (it == indexed.end()) return u"it does not name " + name;
    std::error_code ec;
    const uint64_t size = paths::FileSize(text::FromPath(archive), ec);
    if (ec || size != it->second)
      return name + u" is " + text::FromUInt(size) + u" bytes, the index says " + text::FromUInt(it->second);
    indexed.erase(it);
  }
  if (!indexed.empty()) return u"its archive " + indexed.begin()->first + u" is missing";
  return {};
}

// The index's packages when the newest index matches the archives; else none,
// and a note saying why.
std::optional<std::vector<BackupPackage>> IndexedPackages(const std::filesystem::path& folder,
                                                          const std::vector<std::filesystem::path>& archives,
                                                          WStringList& notes) {
  const std::optional<std::filesystem::path> file = NewestIndex(folder);
  if (!file) {
    notes.push_back(u"No backup index: the archives were read.");
    return std::nullopt;
  }
  const WString name = text::FromPath(file->filename());
  try {
    BackupIndex index = ReadBackupIndex(*file);
    const WString mismatch = IndexMismatch(index, archives);
    if (mismatch.empty()) return std::move(index.packages);
    notes.push_back(u"The index " + name + u" does not match the archives (" + mismatch + u"): the archives were read.");
  } catch (const QuillonError& e) {
    notes.push_back(e.Message() + u": the archives were read.");
  }
  return std::nullopt;
}

}  // namespace

BackupContents ReadBackup(const std::filesystem::path& folder, const WString& sevenZipLibrary) {
  BackupContents contents;
  contents.folder = folder;
  const std::vector<std::filesystem::path> archives = ArchivesIn(folder);
  if (archives.empty()) throw QuillonError(u"\"" + text::FromPath(folder) + u"\" holds no .7z or .Zip archive");
  if (std::optional<std::vector<BackupPackage>> indexed = IndexedPackages(folder, archives, contents.notes)) {
    contents.packages = std::move(*indexed);
    contents.fromIndex = true;
  } else {
    contents.packages = ReadArchives(archives, sevenZipLibrary, contents.notes);
  }
  // Names from the disk being read never reach a terminal raw.
  for (WString& note : contents.notes) note = archive::Printable(note);
  return contents;
}

}  // namespace backup
