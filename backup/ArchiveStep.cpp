#include "backup/ArchiveStep.h"

#include <filesystem>
#include <system_error>

#include "archive/FileBatch.h"
#include "archive/FileInfo.h"
#include "archive/SevenZip.h"
#include "archive/ZipWriter.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/FolderListing.h"
#include "platform/Interrupt.h"
#include "platform/NewFile.h"
#include "platform/Paths.h"

namespace backup {

namespace fs = std::filesystem;

const winapi::Guid kSevenZipFormatClassId = {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

namespace {

constexpr uint32_t kSevenZipCompressionLevel = 5;

struct ZipSource {
  WString fileName, nameInArchive;
  int64_t size = 0;
};

// The name of a listed file inside the archive: its path relative to the source
// folder when it lies below it, else its bare name.
WString NameBelow(const WString& sourceDir, const WString& fileName) {
  const WString root = paths::IncludeTrailingPathDelimiter(sourceDir);
  if (!sourceDir.empty() && fileName.size() > root.size() &&
      text::EqualsIgnoreCase(WStringView(fileName).substr(0, root.size()), root))
    return fileName.substr(root.size());
  return paths::ExtractFileName(fileName);
}

bool IsFolderAt(const WString& path) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(text::ToPath(path), ec));
}

// Makes way for the new archive: an earlier archive (a file) is deleted; anything
// else at that name is the user's and stays, and the archive is not written.
void MakeWayForArchive(const WString& archiveName) {
  if (IsFolderAt(archiveName))
    throw QuillonError(u"Cannot write the archive \"" + archiveName + u"\": a folder of that name is in the way.");
  std::error_code ec;
  paths::RemoveFile(archiveName, ec);
  if (ec)
    throw QuillonError(u"Cannot delete \"" + archiveName + u"\": " + FileErrorText(ec));
}

// Claims the archive's name: `archiveName` (without extension) + `extension`,
// the earlier archive deleted, or created new under the next free name.
void ClaimArchiveName(WString& archiveName, const WString& extension, ArchiveNaming naming) {
  if (naming == ArchiveNaming::NextFreeName) {
    archiveName = paths::CreateNewFile(paths::ExtractFilePath(archiveName), paths::ExtractFileName(archiveName),
                                       extension);
    return;
  }
  archiveName += extension;
  MakeWayForArchive(archiveName);
}

// Removes what a failed write left at `archiveName`: only a file, which the
// writer made, since MakeWayForArchive left nothing there.
void RemoveUnfinishedArchive(const WString& archiveName, WString& message) {
  std::error_code ec;
  if (paths::IsFolder(archiveName)) return;
  paths::RemoveFile(archiveName, ec);
  if (ec) message += text::W("\r\nThe unfinished archive \"") + archiveName + text::W("\" could not be removed.");
}

void WriteSevenZip(IProgress& progress, const WString& libraryPath, const WString& archiveName,
                   const WString& sourceDir, const WString& mask, const WStringList& files) {
  auto archive = sevenzip::CreateOutArchive(kSevenZipFormatClassId, libraryPath);
  if (!mask.empty()) archive->AddFiles(sourceDir, mask);
  for (const WString& file : files) archive->AddFile(file, paths::ExtractFileName(file));
  sevenzip::SetCompressionLevel(*archive, kSevenZipCompressionLevel);
  archive->SetProgressCallback(&progress, ArchiveProgress);
  archive->SaveToFile(archiveName);
}

std::vector<ZipSource> ListZipSources(const WString& sourceDir, const WString& mask, const WStringList& files) {
  std::vector<ZipSource> sources;
  auto add = [&](const WString& fileName, const WString& nameInArchive) {
    archive::TFileInfo info;
    if (archive::ReadFileInfo(fileName, info)) sources.push_back({fileName, nameInArchive, info.Size});
  };
  if (!mask.empty()) archive::ForEachMatchingFile(sourceDir, archive::SplitMasks(mask), add);
  for (const WString& file : files)
    if (!file.empty()) add(file, NameBelow(sourceDir, file));
  return sources;
}

void WriteZip(IProgress& progress, const WString& archiveName, const std::vector<ZipSource>& sources) {
  archive::TZipWriter zip(archiveName);
  zip.SetProgress([&progress](uint64_t) { progress.Draw(); });
  int64_t position = 0;
  for (const ZipSource& source : sources) {
    interrupt::StopIfRequested(source.fileName);
    zip.AddFile(source.fileName, source.nameInArchive);
    position += source.size;
    progress.SetValue(position);
    progress.Draw();
  }
  zip.Close();
}

}  // namespace

bool ArchiveFiles(IReportLog& log, IProgress& progress, const WString& sevenZipLibraryPath, WString& ArchiveName,
                  const WString& SourceDir, const WString& Mask, const WStringList& Files, bool DeleteSource,
                  WString& Error, ArchiveNaming naming) {
  Error.clear();
  log.AddLine(text::W("*** Archiving Files ***\r\n"));
  progress.Show(text::W("Creating Archive"));
  progress.SetFormatAsBytes(true);
  WString unfinished;  // the archive while it is being written
  bool written = false;
  try {
    if (!sevenZipLibraryPath.empty() && paths::FileExists(sevenZipLibraryPath)) {
      ClaimArchiveName(ArchiveName, u".7z", naming);
      unfinished = ArchiveName;
      progress.SetText(paths::ExtractFileName(ArchiveName));
      WriteSevenZip(progress, sevenZipLibraryPath, ArchiveName, SourceDir, Mask, Files);
    } else {
      const std::vector<ZipSource> sources = ListZipSources(SourceDir, Mask, Files);
      ClaimArchiveName(ArchiveName, u".Zip", naming);
      unfinished = ArchiveName;
      progress.SetText(ArchiveName);
      int64_t total = 0;
      for (const ZipSource& s : sources) total += s.size;
      progress.SetTotal(total);
      progress.SetValue(0);
      WriteZip(progress, ArchiveName, sources);
    }
    unfinished.clear();
    written = true;
    if (DeleteSource && paths::DirectoryExists(SourceDir) && paths::FileExists(ArchiveName)) {
      std::error_code ec;
      paths::RemoveFolderTree(SourceDir, ec);
      if (ec)
        throw QuillonError(u"Cannot delete the folder \"" + SourceDir + u"\": " + FileErrorText(ec));
    }
  } catch (const std::exception& e) {
    Error = ExceptionMessage(e);
    if (!unfinished.empty()) RemoveUnfinishedArchive(unfinished, Error);
  }
  return written;
}

int32_t ArchiveProgress(void* sender, bool total, uint64_t value) {
  auto* progress = static_cast<IProgress*>(sender);
  if (!progress) return 0;
  if (total)
    progress->SetTotal(static_cast<int64_t>(value));
  else
    progress->SetValue(static_cast<int64_t>(value));
  progress->Draw();
  return 0;
}

}  // namespace backup
