// The verbs of the command line. Each prints its result on `out` (a table or
// report, or JSON with --json), messages on `err`, and returns the exit code:
// 0 all done, 1 some device failed verification or export, or could not be read
// whole (its ReadProblem).
#pragma once
#include <filesystem>
#include <ostream>
#include <string>

#include "cli/CliOptions.h"
#include "cli/Session.h"
#include "cli/ShownText.h"

namespace cli {

int RunList(Session& session, const Options& options, std::ostream& out);
int RunShow(Session& session, const Options& options, std::ostream& out);
int RunVerify(Session& session, const Options& options, std::ostream& out, std::ostream& err);
// export, export-all and submit.
int RunExport(Session& session, const Options& options, std::ostream& out, std::ostream& err);

// check BACKUP: 0 only when the backup is intact. `session` gives the trust
// roots the catalogs are checked against; null: catalogs are not checked, for
// the reason `noSession`.
int RunCheck(Session* session, const std::string& noSession, const Options& options, std::ostream& out);
// plan BACKUP: the backup's package Windows would install on each present device.
int RunPlan(Session& session, const Options& options, std::ostream& out, std::ostream& err);

// restore BACKUP: the plan's packages installed on the running Windows.
int RunRestore(Session& session, const Options& options, std::ostream& out, std::ostream& err);
// stage BACKUP --to DIR: the kit; for `session`'s machine the plan's packages, for
// none (null) every package.
int RunStage(const Options& options, Session* session, std::ostream& out, std::ostream& err);

// The folder BACKUP names, absolute; raises UsageError when it is no folder.
std::filesystem::path BackupFolder(const std::string& given);
// The output folder --to names, absolute, made when missing; never at or below
// the installation being read (UsageError).
std::filesystem::path OutputFolder(const std::string& to, const std::filesystem::path& installation);

// The number of devices worked on at the same time: --jobs, else one per core.
unsigned Jobs(const Options& options);

}  // namespace cli
