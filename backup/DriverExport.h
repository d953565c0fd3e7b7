// Exporting drivers: one driver's store folder as one archive in a chosen folder,
// and, for a list of drivers, each package once.
#pragma once
#include <optional>
#include <vector>

#include "backup/ArchiveStep.h"
#include "backup/BackupContents.h"
#include "backup/Sinks.h"
#include "devices/Devices.h"

namespace backup {

// The name of the driver-store folder `device`'s driver comes from (DriverStore
// is the path of its INF there).
WString StoreFolderName(const TDevice& device);

// Where the archives go and how they are written.
struct TExportTarget {
  WString folder;           // the chosen folder
  WString sevenZipLibrary;  // empty: archives are written as .Zip
  ArchiveNaming naming = ArchiveNaming::ReplaceAnEarlierArchive;
};

struct TExportResult {
  WString archive;  // the archive written (with extension); empty when none was
  WString error;    // why the archive step wrote none (for the caller to show)
  // What the archive holds (its files hashed from the work folder before it was
  // removed, its INF read there), for the backup index; none when that could not
  // be read, and the index reads the archive back.
  std::optional<BackupPackage> package;
  bool written() const { return !archive.empty(); }
};

// Writes "*** Exporting Driver ***", copies the driver-store folder without its
// "*.pnf" files to a new work folder in the target folder, archives it as
// DriverDescription_DriverVersion.7z or .Zip, reads what the archive holds from
// the work folder and removes the work folder (a work folder that cannot be
// removed is the result's error once the archive is written, else named in the
// report). An archive step that
// fails gives its error in the result; a work folder that cannot be named or
// filled raises QuillonError (nothing is left behind).
TExportResult ExportDriver(const TDevice& device, const TExportTarget& target, IReportLog& log, IProgress& progress);

// What one run has archived so far, so that a driver package shared by several
// devices (six hubs on one hub driver) is copied and compressed once. A later
// device is left at the earlier archive only when that archive is still what the
// device's own export would leave behind.
class TExportedPackages {
 public:
  // The archive written for an earlier device with the same archive name and
  // driver-store folder, provided nothing written since may have replaced that
  // file (with `naming` NextFreeName nothing does); empty otherwise.
  WString ArchiveOf(const WString& archiveBase, const WString& storeFolder,
                    ArchiveNaming naming = ArchiveNaming::ReplaceAnEarlierArchive) const;
  // After an export to `archiveBase`: `archive` is what it wrote, empty when it
  // wrote nothing (a failed archive step leaves no file of that name), and
  // `package` what it holds when that is known.
  void Record(const WString& archiveBase, const WString& storeFolder, const WString& archive,
              std::optional<BackupPackage> package = std::nullopt);
  // What the last export that wrote `archive` recorded it holds; none when unknown.
  std::optional<BackupPackage> PackageOf(const WString& archive) const;

 private:
  struct Written {
    WString archiveBase, storeFolder, archive;
    std::optional<BackupPackage> package;
  };
  std::vector<Written> written_;  // in the order of the exports
};

// The export of a verified device in a run of many: ExportDriver (its progress
// titled "Exporting Driver"), unless `exported` already holds the archive it
// would write.
TExportResult ExportPackageOnce(const TDevice& device, const TExportTarget& target, TExportedPackages& exported,
                                IReportLog& log, IProgress& progress);

}  // namespace backup
