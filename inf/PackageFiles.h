// The files a driver package needs: what [SourceDisksFiles] and its platform
// variant list, each in the folder its disk ([SourceDisksNames]) and its own
// sub-folder give, and the files the install sections copy (CopyFiles).
#pragma once
#include <cstdint>

#include "inf/InfFile.h"
#include "inf/TargetOs.h"

namespace inf {

struct PackageFile {
  WString path;  // relative to the INF's folder, '\'-separated, e.g. "amd64\driver.sys"
  uint32_t line = 0;  // the [SourceDisksFiles] line naming it
};

// The files Windows on `arch` copies into the driver store: every file of
// [SourceDisksFiles] and [SourceDisksFiles.<arch>] (a name in both takes the
// platform's line), in file order. Raises InfError for a file whose disk is not
// in [SourceDisksNames(.<arch>)] or whose path leaves the package folder.
std::vector<PackageFile> SourceFiles(const InfFile& inf, Architecture arch);

// The source file names the section's CopyFiles directives copy: "@file" entries
// and the lines of the file-list sections they name (the source name, else the
// destination name). Names as written, in order, without repeats.
WStringList CopiedFiles(const InfFile& inf, WStringView installSection);

// Whether `path` (relative, '\' or '/' separated) stays inside its folder: not
// absolute, no drive, no "..".
bool StaysInside(WStringView path);

}  // namespace inf
