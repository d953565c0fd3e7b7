#include "backup/BackupCheck.h"

#include <algorithm>
#include <map>

#include "archive/ArchiveReader.h"
#include "backup/BackupIndex.h"
#include "backup/PackageArchive.h"
#include "backup/PackageCompleteness.h"
#include "backup/Sha256.h"
#include "backup/TemporaryFolder.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

namespace backup {
namespace fs = std::filesystem;

bool BackupCheckReport::sound() const {
  for (const ArchiveCheck& a : archives)
    if (!a.sound()) return false;
  return notIndexed.empty() && missing.empty();
}

namespace {

// The files below `root`, relative and '\'-separated. Only files this program
// extracted lie there: no links to follow.
WStringList FilesBelow(const fs::path& root) {
  WStringList files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      files.push_back(text::ReplaceAll(text::FromPath(entry.path().lexically_relative(root)), u"/", u"\\"));
  return files;
}

// The package folder of an extracted archive: its one top folder, else its root.
fs::path PackageRoot(const fs::path& extracted) {
  fs::directory_iterator it(extracted);
  if (it == fs::directory_iterator()) return extracted;
  const fs::directory_entry first = *it;
  return first.is_directory() && ++it == fs::directory_iterator() ? first.path() : extracted;
}

WString FindInf(const WStringList& files, const WString& wanted) {
  WString found;
  for (const WString& f : files) {
    if (f.find(u'\\') != WString::npos || !text::EqualsIgnoreCase(paths::ExtractFileExt(f), u".inf")) continue;
    if (text::EqualsIgnoreCase(f, wanted)) return f;
    if (found.empty() || text::CompareOrdinal(text::UpperAscii(f), text::UpperAscii(found)) < 0) found = f;
  }
  return found;
}

WString HostFile(const fs::path& root, const WString& relative) {
  return text::FromPath(root / text::ToPath(text::ReplaceAll(relative, u"\\", WString(1, paths::kPathDelim))));
}

// Every file of the package against its catalog: the catalog's trust, then each
// file's membership by hash.
void CheckCatalog(const fs::path& root, const WStringList& files, const WString& catalogName,
                  const CatalogCheckSettings& settings, ArchiveCheck& check) {
  const TShellCallback quiet = [](const WString&) {};
  if (settings.allowReading) settings.allowReading(root);
  const WString catalog = HostFile(root, catalogName);
  WString message;
  if (!settings.checker->VerifyCatalog(catalog, quiet, message)) {
    check.problems.push_back(u"Catalog " + catalogName + u": " + message);
    return;
  }
  bool all = true;
  for (const WString& file : files) {
    if (text::EqualsIgnoreCase(file, catalogName)) continue;
    message.clear();
    if (!settings.checker->VerifyCatalogMember(catalog, HostFile(root, file), quiet, message)) {
      check.problems.push_back(u"File " + file + u": " + (message.empty() ? u"not in the catalog" : message));
      all = false;
    }
  }
  if (all) check.catalog = u"verified";
}

// The extracted package: its INF, every file it needs, its catalog.
void CheckPackage(const fs::path& root, const BackupPackage* expected, const CatalogCheckSettings& settings,
                  ArchiveCheck& check) {
  const WStringList files = FilesBelow(root);
  const WString infName = FindInf(files, expected ? expected->infName : WString());
  if (infName.empty()) {
    check.problems.push_back(u"the package holds no INF file");
    return;
  }
  inf::DriverPackageInf package;
  try {
    const fs::path inf = text::ToPath(HostFile(root, infName));
    const std::optional<inf::Architecture> arch =
        expected ? StoreFolderArchitecture(expected->storeFolder) : std::nullopt;
    package = inf::ReadDriverPackageInf(inf, arch.value_or(inf::Architecture::Amd64));
    if (!arch && PackageArchitecture(package.manufacturers) != inf::Architecture::Amd64)
      package = inf::ReadDriverPackageInf(inf, PackageArchitecture(package.manufacturers));
  } catch (const inf::InfError& e) {
    check.problems.push_back(infName + u": " + e.Message().substr(std::min(e.Message().size(),
                                                                          HostFile(root, infName).size() + 2)));
    return;
  }
  for (const WString& missing : MissingFiles(package.files, files))
    check.problems.push_back(u"File not found: " + missing);
  if (package.catalog.empty()) {
    check.catalog = u"not checked: the package names no catalog";
  } else if (std::none_of(files.begin(), files.end(),
                          [&](const WString& f) { return text::EqualsIgnoreCase(f, package.catalog); })) {
    check.problems.push_back(u"Catalog not found: " + package.catalog);
  } else if (!settings.checker) {
    check.catalog = u"not checked: " + settings.why;
  } else {
    CheckCatalog(root, files, package.catalog, settings, check);
  }
}

ArchiveCheck CheckArchive(const fs::path& archive, const BackupPackage* expected, const WString& sevenZipLibrary,
                          const CatalogCheckSettings& settings) {
  ArchiveCheck check;
  check.archive = text::FromPath(archive.filename());
  try {
    if (expected) {
      std::error_code ec;
      const uint64_t size = paths::FileSize(text::FromPath(archive), ec);
      if (ec) throw QuillonError(text::FromPath(archive) + u": " + FileErrorText(ec));
      if (size != expected->archiveSize)
        check.problems.push_back(u"its size is " + text::FromUInt(size) + u" bytes, the index says " +
                                 text::FromUInt(expected->archiveSize));
      else if (Sha256OfFile(archive) != expected->archiveSha256)
        check.problems.push_back(u"its SHA-256 is not the one the index records");
    }
    const TemporaryFolder extracted("check");
    const std::unique_ptr<archive::IArchiveReader> reader =
        archive::OpenArchiveReader(text::FromPath(archive), sevenZipLibrary);
    archive::ExtractArchive(*reader, text::FromPath(extracted.Path()));
    CheckPackage(PackageRoot(extracted.Path()), expected, settings, check);
  } catch (const QuillonError& e) {
    check.problems.push_back(e.Message());
  }
  return check;
}

// The archives of `folder`: those `expected` names (each in turn, missing ones
// listed), or every archive on its own when there is no list.
void CheckArchives(const fs::path& folder, const std::vector<BackupPackage>* expected, const WString& skip,
                   const WString& sevenZipLibrary, const CatalogCheckSettings& settings, BackupCheckReport& report) {
  const std::vector<fs::path> archives = ArchivesIn(folder);
  std::map<WString, const BackupPackage*> named;
  if (expected) {
    for (const BackupPackage& p : *expected) {
      named[p.archive] = &p;
      const fs::path archive = folder / text::ToPath(p.archive);
      std::error_code ec;
      if (!fs::is_regular_file(fs::symlink_status(archive, ec)))
        report.missing.push_back(p.archive);
      else
        report.archives.push_back(CheckArchive(archive, &p, sevenZipLibrary, settings));
    }
  }
  for (const fs::path& archive : archives) {
    const WString name = text::FromPath(archive.filename());
    if (name == skip || named.count(name)) continue;
    if (expected)
      report.notIndexed.push_back(name);
    else
      report.archives.push_back(CheckArchive(archive, nullptr, sevenZipLibrary, settings));
  }
}

std::optional<BackupIndex> NewestReadableIndex(const fs::path& folder, BackupCheckReport& report) {
  const std::optional<fs::path> file = NewestIndex(folder);
  if (!file) {
    report.notes.push_back(u"No backup index: each archive was checked on its own.");
    return std::nullopt;
  }
  try {
    BackupIndex index = ReadBackupIndex(*file);
    report.index = text::FromPath(file->filename());
    return index;
  } catch (const QuillonError& e) {
    report.notes.push_back(e.Message() + u": each archive was checked on its own.");
    return std::nullopt;
  }
}

// A submission archive: its own size and SHA-256 against the index, then the
// archives it holds.
void CheckSubmission(const fs::path& submission, const std::optional<BackupIndex>& index,
                     const WString& sevenZipLibrary, const CatalogCheckSettings& settings, BackupCheckReport& report) {
  report.submission = text::FromPath(submission.filename());
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(submission, ec))) {
    report.missing.push_back(report.submission);
    return;
  }
  const bool described = index && index->submission == report.submission;
  if (index && !described) report.notes.push_back(u"The index " + report.index + u" does not describe this submission.");
  if (!described) report.index.clear();
  BackupPackage self;
  self.archive = report.submission;
  if (described) {
    self.archiveSize = index->submissionSize;
    self.archiveSha256 = index->submissionSha256;
  }
  ArchiveCheck check;
  check.archive = report.submission;
  try {
    if (described) {
      const uint64_t size = paths::FileSize(text::FromPath(submission), ec);
      if (ec || size != self.archiveSize || Sha256OfFile(submission) != self.archiveSha256)
        check.problems.push_back(u"its size or SHA-256 is not what the index records");
    }
    const TemporaryFolder extracted("submission");
    const std::unique_ptr<archive::IArchiveReader> reader =
        archive::OpenArchiveReader(text::FromPath(submission), sevenZipLibrary);
    archive::ExtractArchive(*reader, text::FromPath(extracted.Path()));
    report.archives.push_back(check);
    CheckArchives(extracted.Path(), described ? &index->packages : nullptr, {}, sevenZipLibrary, settings, report);
  } catch (const QuillonError& e) {
    check.problems.push_back(e.Message());
    report.archives.push_back(check);
  }
}

}  // namespace

BackupCheckReport CheckBackup(const fs::path& path, const WString& sevenZipLibrary,
                              const CatalogCheckSettings& catalogs) {
  BackupCheckReport report;
  std::error_code ec;
  const bool isFile = fs::is_regular_file(path, ec);
  const fs::path folder = isFile ? path.parent_path() : path;
  const std::optional<BackupIndex> index = NewestReadableIndex(folder.empty() ? fs::path(".") : folder, report);
  if (isFile) {
    CheckSubmission(path, index, sevenZipLibrary, catalogs, report);
  } else if (index && !index->submission.empty()) {
    const WString submission = index->submission;
    CheckSubmission(folder / text::ToPath(submission), index, sevenZipLibrary, catalogs, report);
    for (const fs::path& archive : ArchivesIn(folder))
      if (text::FromPath(archive.filename()) != submission) report.notIndexed.push_back(text::FromPath(archive.filename()));
  } else {
    CheckArchives(folder, index ? &index->packages : nullptr, {}, sevenZipLibrary, catalogs, report);
  }
  return report;
}

}  // namespace backup
