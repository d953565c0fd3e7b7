// The submission: one dated archive of the per-device archives of a run, which
// are removed afterwards without touching what was in the folder before.
#pragma once
#include <set>

#include "backup/DriverExport.h"
#include "backup/Sinks.h"
#include "platform/Text.h"
#include "platform/WinTypes.h"

namespace backup {

// The names of the files directly in `folder` now: what the submission must leave in place.
std::set<WString> FilesIn(const WString& folder);

// Each archive once, in list order; the empty entries of devices not exported left out.
WStringList DistinctArchives(const WStringList& archives);

// Deletes the per-device archives made for the submission. An archive whose name
// was already taken before the submission began is the user's earlier export of
// the same driver (just replaced by a fresh one) and stays. A file that cannot be
// deleted is named in the report.
void DeletePerDeviceArchives(IReportLog& log, const WStringList& archives, const std::set<WString>& kept);

// Packs each archive of `archives` once (empty entries left out) into
// NAVU-yyyy_mm_dd_hh_nn_ss.7z or .Zip in the target folder, named after
// `localTime`. The result's archive is that name, written or not; its error says
// why it was not written. The per-device archives stay for the caller to delete.
TExportResult PackSubmission(const TExportTarget& target, const WStringList& archives,
                             const winapi::SystemTime& localTime, IReportLog& log, IProgress& progress);

}  // namespace backup
