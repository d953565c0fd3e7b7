// restore --json: what a dry run would install, or how the restore went, one
// object per package and device, for scripts.
#pragma once
#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

#include "backup/BackupContents.h"
#include "restore/RestoreRun.h"

namespace cli {

// {"backup", "dryRun": true, "packages": [{"device", "package", "inf", "oldDriver",
// "newDriver", "matched"}]}: "device" and "matched" are null for a package that
// goes into the driver store for no device, "oldDriver" when the device has none.
nlohmann::ordered_json RestoreChoiceJson(const backup::BackupContents& backup,
                                         const std::vector<restore::RestoreItem>& items);

// {"backup", "dryRun": false, "packages": [{"device", "package", "oldDriver",
// "newDriver", "result", "restartNeeded"}], "summary": {"packages", "installed",
// "failed": [...], "restartNeeded", "interrupted"}, "record"}: the rows of the
// record, and the result `restore` prints.
nlohmann::ordered_json RestoreOutcomeJson(const backup::BackupContents& backup, const restore::RestoreOutcome& outcome,
                                          size_t packages, const std::filesystem::path& record);

}  // namespace cli
