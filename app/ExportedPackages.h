// What one Export All or submission has archived so far, so that a driver package
// shared by several devices (six hubs on one hub driver) is copied and compressed
// once. A later device is left at the earlier archive only when that archive is
// still what the device's own export would leave behind.
#pragma once
#include <vector>

#include "app/MainFormUnit.h"
#include "devices/Devices.h"
#include "platform/Text.h"

class TExportedPackages {
 public:
  // The archive written for an earlier device with the same archive name and
  // driver-store folder, provided nothing written since may have replaced that
  // file; empty otherwise.
  WString ArchiveOf(const WString& archiveBase, const WString& storeFolder) const;
  // After an export to `archiveBase`: `archive` is what it wrote, empty when it
  // wrote nothing (a failed archive step leaves no file of that name).
  void Record(const WString& archiveBase, const WString& storeFolder, const WString& archive);

 private:
  struct Written {
    WString archiveBase, storeFolder, archive;
  };
  std::vector<Written> written_;  // in the order of the exports
};

// Export All's and the submission's export of a verified device: ExportDriver,
// unless `exported` already holds the archive it would write. Returns the archive.
WString ExportPackageOnce(TfrmMainForm& form, TDevice& device, TExportedPackages& exported);
