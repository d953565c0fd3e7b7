#include "app/ArchiveStep.h"

#include <filesystem>
#include <system_error>

#include "archive/FileBatch.h"
#include "archive/FileInfo.h"
#include "archive/SevenZip.h"
#include "archive/ZipWriter.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"

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
  fs::remove(text::ToPath(archiveName), ec);
  if (ec)
    throw QuillonError(u"Cannot delete \"" + archiveName + u"\": " + FileErrorText(ec));
}

// Removes what a failed write left at `archiveName`: only a file, which the
// writer made, since MakeWayForArchive left nothing there.
void RemoveUnfinishedArchive(const WString& archiveName, WString& message) {
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(text::ToPath(archiveName), ec))) return;
  fs::remove(text::ToPath(archiveName), ec);
  if (ec) message += text::W("\r\nThe unfinished archive \"") + archiveName + text::W("\" could not be removed.");
}

void WriteSevenZip(IArchiveHost& host, const WString& libraryPath, const WString& archiveName,
                   const WString& sourceDir, const WString& mask, const WStringList& files) {
  auto archive = sevenzip::CreateOutArchive(kSevenZipFormatClassId, libraryPath);
  if (!mask.empty()) archive->AddFiles(sourceDir, mask);
  for (const WString& file : files) archive->AddFile(file, paths::ExtractFileName(file));
  sevenzip::SetCompressionLevel(*archive, kSevenZipCompressionLevel);
  archive->SetProgressCallback(&host, ArchiveProgress);
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

void WriteZip(IArchiveHost& host, const WString& archiveName, const std::vector<ZipSource>& sources) {
  archive::TZipWriter zip(archiveName);
  zip.SetProgress([&host](uint64_t) { host.DrawProgressBar(); });
  int64_t position = 0;
  for (const ZipSource& source : sources) {
    zip.AddFile(source.fileName, source.nameInArchive);
    position += source.size;
    host.SetProgressValue(position);
    host.DrawProgressBar();
  }
  zip.Close();
}

}  // namespace

bool ArchiveFiles(IArchiveHost& host, const WString& sevenZipLibraryPath, WString& ArchiveName,
                  const WString& SourceDir, const WString& Mask, const WStringList& Files, bool DeleteSource) {
  host.AddShellLine(text::W("*** Archiving Files ***\r\n"));
  host.ShowProgress(text::W("Creating Archive"));
  host.SetProgressFormatAsBytes(true);
  WString unfinished;  // the archive while it is being written
  bool written = false;
  try {
    if (!sevenZipLibraryPath.empty() && paths::FileExists(sevenZipLibraryPath)) {
      ArchiveName += text::W(".7z");
      host.SetProgressText(paths::ExtractFileName(ArchiveName));
      MakeWayForArchive(ArchiveName);
      unfinished = ArchiveName;
      WriteSevenZip(host, sevenZipLibraryPath, ArchiveName, SourceDir, Mask, Files);
    } else {
      ArchiveName += text::W(".Zip");
      host.SetProgressText(ArchiveName);
      const std::vector<ZipSource> sources = ListZipSources(SourceDir, Mask, Files);
      int64_t total = 0;
      for (const ZipSource& s : sources) total += s.size;
      host.SetProgressTotal(total);
      host.SetProgressValue(0);
      MakeWayForArchive(ArchiveName);
      unfinished = ArchiveName;
      WriteZip(host, ArchiveName, sources);
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
    WString message = ExceptionMessage(e);
    if (!unfinished.empty()) RemoveUnfinishedArchive(unfinished, message);
    host.ShowMessage(ports::MessageKind::Error, message);
  }
  return written;
}

int32_t ArchiveProgress(void* sender, bool total, uint64_t value) {
  auto* host = static_cast<IArchiveHost*>(sender);
  if (!host) return 0;
  if (total)
    host->SetProgressTotal(static_cast<int64_t>(value));
  else
    host->SetProgressValue(static_cast<int64_t>(value));
  host->DrawProgressBar();
  return 0;
}
