// The names the export commands give what they write into the chosen folder (the
// work folder of one device, its archive, the submission archive), and when two
// such names may be one file.
#pragma once
#include "devices/Devices.h"
#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace backup {

// Removes the characters a path may not hold: codes 0-31, the double quote, < > |.
WString WithoutPathForbidden(WStringView s);
// Removes the characters a file name may not hold: codes 0-31, " * / : < > ? \ |.
WString WithoutFileNameForbidden(WStringView s);

// True when `name` names a folder strictly inside its parent: not empty, not only
// dots and blanks (Windows strips those, leaving the parent itself) and without
// any path delimiter.
bool NamesAChildFolder(WStringView name);

// The name of the device's work folder: the file name of OriginalInfName without
// its extension, cleaned; when that names no child folder, the driver-store INF's
// name without extension. Raises QuillonError when neither does.
WString WorkFolderName(const TDevice& device);

// A work folder below `chosenFolder` that does not exist yet: `name`, or else
// "name (2)", "name (3)", ... so that nothing already in the folder is replaced.
WString NewWorkFolder(const WString& chosenFolder, const WString& name);

// chosenFolder + DriverDescription_DriverVersion, cleaned; no extension.
WString ArchiveBaseName(const WString& chosenFolder, const TDevice& device);

// "yyyy_mm_dd_hh_nn_ss": the stamp that dates the submission, the export record,
// the backup index and the restore record.
std::string TimeStamp(const winapi::SystemTime& localTime);

// chosenFolder + "NAVU-yyyy_mm_dd_hh_nn_ss"; no extension.
WString SubmissionBaseName(const WString& chosenFolder, const winapi::SystemTime& localTime);

// The same text for every name Windows may take for one file: letter case aside,
// and (as Windows folds case beyond ASCII too) every character outside ASCII
// taken as possibly equal, so that a package is archived again rather than
// wrongly left out.
WString SameFileKey(WStringView name);
inline bool MayNameTheSameFile(WStringView a, WStringView b) { return SameFileKey(a) == SameFileKey(b); }

}  // namespace backup
