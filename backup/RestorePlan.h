// Which package of a backup Windows would install on each present device, ranked
// as Windows ranks drivers (inf/DriverRank.h), against the driver the device has
// now. `plan` prints it; restore and the install kit act on it.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "backup/BackupContents.h"
#include "backup/CurrentDriver.h"
#include "devices/Devices.h"
#include "inf/DriverRank.h"
#include "inf/TargetOs.h"

namespace backup {

enum class PlanChoice {
  WouldInstall,      // "would install <archive> (<inf>, <version>, matched <id>)"
  HasEqualOrBetter,  // "has an equal or better driver"
  NoDriverInBackup,  // "no driver in the backup"
};

struct PlannedDevice {
  const TDevice* device = nullptr;  // into the device list given to PlanRestore
  bool hasDriver = false;           // the device has a driver installed now
  PlanChoice choice = PlanChoice::NoDriverInBackup;
  std::optional<size_t> package;    // the backup's best match (into BackupContents::packages)
  std::optional<size_t> modelLine;  // its models line (into that package's models)
  WString matchedId;                // the device's identifier that line matched
  uint32_t rank = 0;                // the best match's rank, 0xSSGGTHHH
  std::optional<CurrentDriver> current;  // the driver it was compared with; only when hasDriver
};

struct RestorePlan {
  std::vector<PlannedDevice> devices;  // devices without a driver first, then in the list's order
  size_t covered = 0;        // devices the backup has a driver for
  size_t withoutDriver = 0;  // devices that have no driver now
};

// The signature score of a line of `package`: its recorded verdict ("signed"
// ranks as trusted; "unsigned" and "not trusted" as unsigned, better with an .NT
// install section); no or another verdict ranks as unknown.
inf::SignatureScore SignatureScoreOf(const BackupPackage& package, const inf::ModelLine& line);

// Plans `backup` for `devices` on Windows `target`. Among the backup's packages an
// unknown signature ranks last; against the current driver such a package is
// weighed as if signed alike (Windows checks it when it installs it).
RestorePlan PlanRestore(const BackupContents& backup, const TDeviceList& devices, const inf::TargetOs& target);

}  // namespace backup
