// The archive step of the export commands: packs a folder tree or a list of files
// into one .7z (through the 7-Zip library) or .Zip archive, its banner in the
// report and its progress in the progress sink.
#pragma once
#include <cstdint>

#include "backup/Sinks.h"
#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace backup {

// Class id of the 7z format handler: {23170F69-40C1-278A-1000-000110070000}.
extern const winapi::Guid kSevenZipFormatClassId;

// What becomes of a file already at the archive's name: the window replaces an
// earlier archive (a folder there is an error); the command line leaves whatever
// is there to the user and takes the next free name, "name (2).7z", ...
enum class ArchiveNaming { ReplaceAnEarlierArchive, NextFreeName };

// Writes one archive. `ArchiveName` comes in without extension and goes out with
// ".7z" (a file exists at `sevenZipLibraryPath`) or ".Zip" appended. The content is
// the files below `SourceDir` matching `Mask` (all subfolders, stored under their
// relative paths), or, when `Mask` is empty, the existing files of `Files` (stored
// under their bare names). With `DeleteSource`, `SourceDir` is removed once the
// archive was written. An error is answered with false and its text in `Error`
// (for the caller to show); a partly written archive is removed and `SourceDir`
// is kept. A folder at
// the archive's name is such an error: the step deletes nothing but an earlier
// archive file of that name and the unfinished file it wrote itself. With
// NextFreeName the archive is created new (never through a link, never over
// anything there) and `ArchiveName` is the name it took.
bool ArchiveFiles(IReportLog& log, IProgress& progress, const WString& sevenZipLibraryPath, WString& ArchiveName,
                  const WString& SourceDir, const WString& Mask, const WStringList& Files, bool DeleteSource,
                  WString& Error, ArchiveNaming naming = ArchiveNaming::ReplaceAnEarlierArchive);

// The 7-Zip progress callback (T7zProgressCallback): `sender` is the IProgress.
// total true: the bar's total becomes `value`; otherwise its value. Redraws; returns 0.
int32_t ArchiveProgress(void* sender, bool total, uint64_t value);

}  // namespace backup
