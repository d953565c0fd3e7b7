// The words of a restore, the same in the window and on the command line: the
// chosen packages one line per device, the question before installing, and the
// result.
#pragma once
#include <vector>

#include "backup/BackupContents.h"
#include "restore/RestoreRun.h"

namespace restore {

// One line per device a chosen package goes on: "Name (instance id): archive
// (inf, version, matched id)"; a package for no device: "archive (inf, version):
// into the driver store, for devices not plugged in yet".
WStringList ChoiceLines(const backup::BackupContents& backup, const std::vector<RestoreItem>& items);

// "Install 2 driver packages on 3 devices?"
WString ConfirmationText(const std::vector<RestoreItem>& items);

// "Installed 2 of 3 driver packages." then each failure, and "Windows must restart
// to finish installing the drivers." when it must (lines separated by "\n").
WString ResultText(const RestoreOutcome& outcome, size_t packages);

}  // namespace restore
