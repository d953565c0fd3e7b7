#include "backup/DriverExport.h"

#include <filesystem>
#include <system_error>

#include "backup/ArchiveNames.h"
#include "backup/ArchiveStep.h"
#include "platform/FileErrors.h"
#include "platform/Paths.h"

namespace backup {

namespace {

// A work folder this export made, removed unless the archive step already did;
// one that cannot be removed is named in the report.
void RemoveWorkFolder(const WString& workFolder, IReportLog& log) {
  std::error_code ec;
  std::filesystem::remove_all(text::ToPath(workFolder), ec);
  if (ec)
    log.AddLine(u"The work folder \"" + workFolder + u"\" could not be removed: " + FileErrorText(ec) + u"\r\n");
}

}  // namespace

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
    written = ArchiveFiles(log, progress, target.sevenZipLibrary, archive, workFolder, u"*.*", WStringList(), true,
                           result.error, target.naming);
  } catch (...) {
    RemoveWorkFolder(workFolder, log);
    throw;
  }
  if (!written) RemoveWorkFolder(workFolder, log);
  if (written) result.archive = archive;
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

void TExportedPackages::Record(const WString& archiveBase, const WString& storeFolder, const WString& archive) {
  written_.push_back({archiveBase, storeFolder, archive});
}

TExportResult ExportPackageOnce(const TDevice& device, const TExportTarget& target, TExportedPackages& exported,
                                IReportLog& log, IProgress& progress) {
  const WString archiveBase = ArchiveBaseName(target.folder, device);
  const WString storeFolder = paths::ExtractFilePath(device.DriverStore);
  TExportResult result;
  result.archive = exported.ArchiveOf(archiveBase, storeFolder, target.naming);
  if (result.written()) return result;
  progress.Show(u"Exporting Driver");
  result = ExportDriver(device, target, log, progress);
  exported.Record(archiveBase, storeFolder, result.archive);
  return result;
}

}  // namespace backup
