// Verifying and exporting many devices, on several threads, with the outcome of a
// sequential run: devices that could touch the same work folder or archive (the
// same names) are exported by one worker in list order; the others side by side.
// Each worker owns its catalog checker, so verifications run side by side too.
#pragma once
#include <functional>
#include <optional>
#include <vector>

#include "backup/DriverCheck.h"
#include "backup/DriverExport.h"
#include "backup/ProgressCaption.h"
#include "backup/Sinks.h"
#include "devices/Devices.h"

namespace backup {

// What became of one device.
struct TDeviceOutcome {
  TVerifyReport verification;
  WString archive;       // the archive written or shared (with extension); empty: none
  WString report;        // the device's report as the Shell tab would show it (CR LF lines)
  WString archiveError;  // the archive step's error (the window shows it in a message box)
  WString failure;       // why a device has no archive other than failed checks; empty otherwise
  std::optional<BackupPackage> package;  // what the archive holds, as its export read it; none: unknown
  bool interrupted = false;  // a stop was requested before its export finished (or started)
  bool verified() const { return verification.passed; }
  bool exported() const { return !archive.empty(); }
};

// Each device's archive, in list order; empty for a device without one.
WStringList ArchivesOf(const std::vector<TDeviceOutcome>& outcomes);

// Why a device has no archive, in one line: the error raised for it or why it
// could not be read whole, else the first check that failed, naming the file
// and the checker's words.
WString FirstReason(const TDeviceOutcome& outcome);

struct TRunSettings {
  TExportTarget target;  // an empty folder: verification only
  unsigned jobs = 1;
  // Once set, devices not yet started are not started; their outcome says so.
  const TCancelFlag* cancel = nullptr;
};

// Told, from the workers' threads, what a device's progress shows (a device that
// starts shows an empty state first).
using TRunProgress = std::function<void(size_t index, const TProgressState& state)>;
// Told, on the calling thread, of device 0, 1, 2, ... in order, each as soon as it
// and all before it are done.
using TRunFinished = std::function<void(size_t index, const TDeviceOutcome& outcome)>;

// Which devices must be exported by the same worker, in list order: each group
// holds the indexes of devices whose archive names or work-folder names may name
// one file on Windows, in ascending order; the groups ordered by first index.
std::vector<std::vector<size_t>> ExportGroups(const TDeviceList& devices, const WString& outputFolder);

// Verifies every device (its files read now) and, with a target folder, exports
// each one that passed, each package once. An error raised for one device, or a
// device that could not be read whole (its ReadProblem), is that device's
// failure; the run goes on. The outcomes in list order.
std::vector<TDeviceOutcome> RunDevices(const TDeviceList& devices, const TRunSettings& settings,
                                       const TRunFinished& finished, const TRunProgress& progress = {});

}  // namespace backup
