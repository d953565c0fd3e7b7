// The archive step of the export commands: packs a folder tree or a list of files
// into one .7z (through the 7-Zip library) or .Zip archive, with progress and log
// lines shown through the main window.
#pragma once
#include <cstdint>

#include "platform/MessageDialogs.h"
#include "platform/Text.h"
#include "platform/WinTypes.h"

// What the archive step needs from the main window: the Shell log, the progress
// window and the message box. TfrmMainForm implements it.
class IArchiveHost {
 public:
  virtual ~IArchiveHost() = default;
  // Adds one line to reOutput (the text carries its own CR LF).
  virtual void AddShellLine(const WString& line) = 0;
  virtual void ShowProgress(const WString& title) = 0;
  virtual void SetProgressText(const WString& text) = 0;
  // The progress window's FormatAsBytes, TotalValue (writing it resets the value
  // to 0) and ProgressValue; none of them redraws.
  virtual void SetProgressFormatAsBytes(bool asBytes) = 0;
  virtual void SetProgressTotal(int64_t total) = 0;
  virtual void SetProgressValue(int64_t value) = 0;
  virtual void DrawProgressBar() = 0;
  virtual void ShowMessage(ports::MessageKind kind, const WString& text) = 0;
};

// Class id of the 7z format handler: {23170F69-40C1-278A-1000-000110070000}.
extern const winapi::Guid kSevenZipFormatClassId;

// Writes one archive. `ArchiveName` comes in without extension and goes out with
// ".7z" (a file exists at `sevenZipLibraryPath`) or ".Zip" appended. The content is
// the files below `SourceDir` matching `Mask` (all subfolders, stored under their
// relative paths), or, when `Mask` is empty, the existing files of `Files` (stored
// under their bare names). With `DeleteSource`, `SourceDir` is removed once the
// archive was written. Errors are shown in an error message box and answered with
// false; a partly written archive is removed and `SourceDir` is kept. A folder at
// the archive's name is such an error: the step deletes nothing but an earlier
// archive file of that name and the unfinished file it wrote itself.
bool ArchiveFiles(IArchiveHost& host, const WString& sevenZipLibraryPath, WString& ArchiveName,
                  const WString& SourceDir, const WString& Mask, const WStringList& Files, bool DeleteSource);

// The 7-Zip progress callback (T7zProgressCallback): `sender` is the IArchiveHost.
// total true: the bar's total becomes `value`; otherwise its value. Redraws; returns 0.
int32_t ArchiveProgress(void* sender, bool total, uint64_t value);
