// A restore: the packages `plan` chose for the running system put back, package by
// package. Each is extracted to a fresh folder below the temporary folder, checked
// (complete, catalog-signed, trusted here), published in the driver store and
// installed on the devices it was chosen for. A package that fails is named with
// why and the run goes on; the restarts Windows asks for are collected and told
// once. Both front ends run it: `quillon-cli.exe restore` and the window's File ▸
// Restore Drivers….
#pragma once
#include <filesystem>
#include <functional>
#include <vector>

#include "backup/BackupContents.h"
#include "backup/RestorePlan.h"
#include "backup/Sinks.h"
#include "platform/Errors.h"
#include "restore/RestoreRecord.h"

namespace restore {

// A package to put back and the planned devices it goes on; none: it is only
// published in the driver store, for devices not plugged in yet.
struct RestoreItem {
  size_t package = 0;  // into BackupContents::packages
  std::vector<const backup::PlannedDevice*> devices;
};

// The plan's choice: every package that would install on a device, with those
// devices (only the devices in `only`, by instance id, when it is not empty); with
// `allPackages` every other package of the backup too, for no device. In the
// backup's order. Raises QuillonError for an id the plan holds no device for.
std::vector<RestoreItem> ChooseRestore(const backup::BackupContents& backup, const backup::RestorePlan& plan,
                                       const WStringList& only, bool allPackages);

// The number of devices the chosen packages go on.
size_t ChosenDevices(const std::vector<RestoreItem>& items);

// Installing needs an elevated process: raised before anything is done.
class NotElevatedError : public QuillonError {
 public:
  using QuillonError::QuillonError;
};

// Raises NotElevatedError unless this process is elevated (OSError when that
// cannot be read).
void RequireElevation();

struct RestoreSettings {
  std::filesystem::path tempFolder;  // the packages are extracted below it
  WString sevenZipLibrary;           // reads the .7z archives; empty: Zip only
  const backup::TCancelFlag* cancel = nullptr;  // checked before each package
};

struct RestoreOutcome {
  std::vector<RestoreRow> rows;  // one per package and device (one per package staged for no device)
  size_t installed = 0;          // packages installed (or published) without a failure
  WStringList failures;          // "<archive>: <why>", one per package that failed
  bool restartNeeded = false;
  bool interrupted = false;      // a stop request left packages out
  WStringList notes;             // extracted folders that could not be removed
};

// Told before each package: how many are done, of how many, and its archive.
using RestoreProgress = std::function<void(size_t done, size_t total, const WString& archive)>;

// Checks elevation (NotElevatedError), then puts back each item. The rows' texts:
// "installed", "restart needed", "not a better driver", "staged in the driver
// store", "not installed: <why>", "failed: <Windows' words>", "interrupted".
RestoreOutcome RunRestore(const backup::BackupContents& backup, const std::vector<RestoreItem>& items,
                          const RestoreSettings& settings, const RestoreProgress& progress = {});

// "provider version (inf)" of the device's driver now; empty when it has none.
WString InstalledDriverText(const TDevice& device);
// "provider version (inf)" of a backup's package.
WString PackageDriverText(const backup::BackupPackage& package);

}  // namespace restore
