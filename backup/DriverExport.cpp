#include "backup/DriverExport.h"

#include <filesystem>
#include <system_error>

#include "backup/ArchiveNames.h"
#include "backup/ArchiveStep.h"
#include "backup/PackageArchive.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"

namespace backup {

namespace {

// A work folder this export made, removed unless the archive step already did;
// one that cannot be removed is named in the report.
void RemoveWorkFolder(const WString& workFolder, IReportLog& log) {
  std::error_code ec;
  paths::RemoveFolderTree(workFolder, ec);
  if (ec)
    log.AddLine(u"The work folder \"" + workFolder + u"\" could not be removed: " + FileErrorText(ec) + u"\r\n");
}

// What the archive just written from `workFolder` holds, read there; none when
// that fails (the index then reads the archive back and names the cause).
std::optional<BackupPackage> ArchivedPackage(const WString& archive, const TExportTarget& target,
                                             const WString& workFolder, const TDevice& device) {
  const WString storeFolder = StoreFolderName(device);
  try {
    return ReadArchivedFolder(text::ToPath(archive), target.sevenZipLibrary, text::ToPath(workFolder), storeFolder);
  } catch (const QuillonError&) {
    return std::nullopt;
  }
}

}  // namespace

WString StoreFolderName(const TDevice& device) {
  return paths::ExtractFileName(paths::ExcludeTrailingPathDelimiter(paths::ExtractFilePath(device.DriverStore)));
}

TExportResult ExportDriver(const TDevice& device, const TExportTarget& target, IReportLog& log, IProgress& progress) {
  log.AddLine(u"*** Exporting Driver ***\r\n");
  // A folder of its own, never the chosen folder or anything already in it (docs/behaviour.md).
  const WString workFolder = NewWorkFolder(target.folder, WorkFolderName(device));
  WString archive = ArchiveBaseName(target.folder, device);

  const WString source = paths::ExtractFilePath(device.DriverStore);
  progress.SetText(source);
  TExportResult result;
  bool written = false;
  try {
    CopyFolderTree(source, workFolder);
    written = ArchiveFiles(log, progress, target.sevenZipLibrary, archive, workFolder, u"*.*", WStringList(), false,
                           result.error, target.naming);
    if (written) result.package = ArchivedPackage(archive, target, workFolder, device);
  } catch (...) {
    RemoveWorkFolder(workFolder, log);
    throw;
  }
  if (!written) {
    RemoveWorkFolder(workFolder, log);
    return result;
  }
  result.archive = archive;
  std::error_code ec;
  paths::RemoveFolderTree(workFolder, ec);
  if (ec) result.error = u"Cannot delete the folder \"" + workFolder + u"\": " + FileErrorText(ec);
  return result;
}

WString TExportedPackages::ArchiveOf(const WString& archiveBase, const WString& storeFolder,
                                     ArchiveNaming naming) const {
  for (auto it = written_.rbegin(); it != written_.rend(); ++it) {
    if (!MayNameTheSameFile(it->archiveBase, archiveBase)) continue;
    // Archives created new are never replaced: any earlier one of the package serves.
    if (naming == ArchiveNaming::NextFreeName && (it->archive.empty() || it->storeFolder != storeFolder)) continue;
    // The last export that touched this file decides what it holds now.
    if (it->archiveBase == archiveBase && it->storeFolder == storeFolder) return it->archive;
    return WString();
  }
  return WString();
}

void TExportedPackages::Record(const WString& archiveBase, const WString& storeFolder, const WString& archive,
                               std::optional<BackupPackage> package) {
  written_.push_back({archiveBase, storeFolder, archive, std::move(package)});
}

std::optional<BackupPackage> TExportedPackages::PackageOf(const WString& archive) const {
  for (auto it = written_.rbegin(); it != written_.rend(); ++it)
    if (it->archive == archive) return it->package;
  return std::nullopt;
}

TExportResult ExportPackageOnce(const TDevice& device, const TExportTarget& target, TExportedPackages& exported,
                                IReportLog& log, IProgress& progress) {
  const WString archiveBase = ArchiveBaseName(target.folder, device);
  const WString storeFolder = paths::ExtractFilePath(device.DriverStore);
  TExportResult result;
  result.archive = exported.ArchiveOf(archiveBase, storeFolder, target.naming);
  if (result.written()) {
    result.package = exported.PackageOf(result.archive);
    return result;
  }
  progress.Show(u"Exporting Driver");
  result = ExportDriver(device, target, log, progress);
  exported.Record(archiveBase, storeFolder, result.archive, result.package);
  return result;
}

}  // namespace backup
