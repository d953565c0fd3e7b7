// The per-device archives a submission packs: which ones, and removing them
// afterwards without touching what was in the folder before.
#pragma once
#include <set>

#include "app/ArchiveStep.h"
#include "platform/Text.h"

namespace submissionfiles {

// The names of the files directly in `folder` now: what the submission must leave in place.
std::set<WString> FilesIn(const WString& folder);

// Each archive once, in list order; the empty entries of devices not exported left out.
WStringList DistinctArchives(const WStringList& archives);

// Deletes the per-device archives made for the submission. An archive whose name
// was already taken before the submission began is the user's earlier export of
// the same driver (just replaced by a fresh one) and stays. A file that cannot be
// deleted is named in the Shell log.
void DeletePerDeviceArchives(IArchiveHost& host, const WStringList& archives, const std::set<WString>& kept);

}  // namespace submissionfiles
