// restore and stage: a backup put back on the running Windows (told as text, or
// JSON with --json), or made into a kit that installs it on a fresh one. Both read the backup folder (its index, else
// its archives) and, where they act for a machine, plan for its present devices.
#include <filesystem>

#include "backup/BackupContents.h"
#include "backup/RestorePlan.h"
#include "backup/TargetWindows.h"
#include "cli/Commands.h"
#include "cli/RestoreJson.h"
#include "cli/ShownText.h"
#include "cli/StopRequests.h"
#include "platform/Errors.h"
#include "platform/Interrupt.h"
#include "platform/Platform.h"
#include "platform/SafeText.h"
#include "platform/System.h"
#include "restore/RestoreRecord.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreText.h"
#include "restore/Staging.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

std::string U8(const fs::path& p) { return text::ToUtf8(text::FromPath(p)); }

backup::BackupContents ReadBackupFolder(const Options& options, const WString& sevenZipLibrary, std::ostream& err) {
  backup::BackupContents contents = backup::ReadBackup(BackupFolder(options.backup), sevenZipLibrary);
  for (const WString& note : contents.notes) err << "quillon: " << Shown(note) << '\n';
  return contents;
}

// The ids of the devices named on the command line (a `list` number stands for
// its device).
WStringList NamedDevices(const Session& session, const Options& options) {
  WStringList ids;
  for (const std::string& wanted : options.devices)
    ids.push_back(wanted.find_first_not_of("0123456789") == std::string::npos ? session.Find(wanted).InstanceId
                                                                              : text::FromUtf8(wanted));
  return ids;
}

std::vector<restore::RestoreItem> Choose(const backup::BackupContents& contents, const backup::RestorePlan& plan,
                                         const WStringList& named, bool allPackages) {
  try {
    return restore::ChooseRestore(contents, plan, named, allPackages);
  } catch (const QuillonError& e) {
    throw UsageError(text::ToUtf8(e.Message()));  // a device not present is a wrong argument
  }
}

void PrintLines(std::ostream& out, const WStringList& lines) {
  for (const WString& line : lines) out << "  " << Shown(line) << '\n';
}


// The record goes beside the backup, or where --record says.
fs::path WriteRecord(const Options& options, const std::vector<restore::RestoreRow>& rows) {
  const fs::path folder = options.record.empty() ? BackupFolder(options.backup) : OutputFolder(options.record, {});
  // Named in the folder's own spelling (the file's path may carry the long-path prefix).
  return folder / restore::WriteRestoreRecord(folder, Os().system->GetLocalTime(), rows).filename();
}

int ExitCode(const restore::RestoreOutcome& outcome) {
  if (outcome.interrupted) return kInterruptedExitCode;
  return outcome.failures.empty() ? 0 : 1;
}

}  // namespace

int RunRestore(Session& session, const Options& options, std::ostream& out, std::ostream& err) {
  if (!session.InstallationRoot().empty())
    throw UsageError("restore installs drivers on the running Windows, never into an installation read from a "
                     "folder; `quillon stage BACKUP --to DIR` makes a kit that installs them there");
  if (!options.dryRun) {
    try {
      restore::RequireElevation();
    } catch (const restore::NotElevatedError& e) {
      throw restore::NotElevatedError(e.Message() + u"\nOpen a Command Prompt with \"Run as administrator\" and run "
                                                    u"quillon-cli.exe restore again.");
    }
  }
  const StopRequests stopRequests;  // Ctrl+C: stop after the package under way, keep the record
  const backup::BackupContents contents = ReadBackupFolder(options, session.SevenZipLibrary(), err);
  const TDeviceList devices = session.AllDevices();
  const backup::RestorePlan plan = backup::PlanRestore(contents, devices, backup::ReadTargetWindows().os);
  const std::vector<restore::RestoreItem> items = Choose(contents, plan, NamedDevices(session, options), options.allPackages);
  if (options.json && (items.empty() || options.dryRun)) {
    nlohmann::ordered_json choice = RestoreChoiceJson(contents, items);
    choice["dryRun"] = options.dryRun;
    out << choice.dump(2) << '\n';
    return 0;
  }
  if (items.empty()) {
    out << "Nothing to restore: no present device gets a better driver from the backup.\n";
    return 0;
  }
  if (!options.json) {
    out << Shown(restore::ConfirmationText(items)) << '\n';
    PrintLines(out, restore::ChoiceLines(contents, items));
  }
  if (options.dryRun) {
    out << "--dry-run: nothing was installed.\n";
    return 0;
  }
  out << std::flush;

  const restore::RestoreOutcome outcome = restore::RunRestore(
      contents, items, {fs::temp_directory_path(), session.SevenZipLibrary(), &interrupt::Flag()},
      [&](size_t done, size_t total, const WString& archive) {
        if (!archive.empty()) err << "[" << done + 1 << "/" << total << "] " << Shown(archive) << '\n';
      });
  for (const WString& note : outcome.notes) err << "quillon: " << Shown(note) << '\n';
  if (options.json) {
    out << RestoreOutcomeJson(contents, outcome, items.size(), WriteRecord(options, outcome.rows)).dump(2) << '\n';
    return ExitCode(outcome);
  }
  for (const restore::RestoreRow& row : outcome.rows)
    out << Shown(row.device.empty() ? row.package : row.device + u": " + row.package) << ": " << Shown(row.result)
        << '\n';
  out << PlainLines(restore::ResultText(outcome, items.size())) << '\n';
  out << "Record: " << U8(WriteRecord(options, outcome.rows)) << '\n';
  return ExitCode(outcome);
}

int RunStage(const Options& options, Session* session, std::ostream& out, std::ostream& err) {
  const StopRequests stopRequests;
  const backup::BackupContents contents =
      ReadBackupFolder(options, session ? session->SevenZipLibrary() : WString(), err);

  // With a machine to stage for, the plan's choice; else every package.
  std::vector<size_t> packages;
  if (session && !options.allPackages) {
    const backup::RestorePlan plan =
        backup::PlanRestore(contents, session->AllDevices(), backup::ReadTargetWindows().os);
    for (const restore::RestoreItem& item : Choose(contents, plan, NamedDevices(*session, options), false))
      packages.push_back(item.package);
  } else {
    for (size_t i = 0; i < contents.packages.size(); ++i) packages.push_back(i);
  }
  const fs::path kit = OutputFolder(options.to, session ? session->InstallationRoot() : fs::path());
  const restore::StageOutcome outcome =
      restore::StageBackup(contents, packages, kit, session ? session->SevenZipLibrary() : WString(),
                           &interrupt::Flag());
  for (const restore::KitPackage& staged : outcome.staged) out << "staged " << Shown(staged.folder) << '\n';
  if (packages.empty())
    out << "No driver package staged: every present device has an equal or better driver than the backup's, or "
           "none in it (--all-packages stages every package).\n";
  out << outcome.staged.size() << " of " << packages.size() << " driver packages staged in " << U8(kit)
      << "\nRun " << restore::kInstallScriptName << " there as an administrator on the PC that needs them.\n";
  if (!outcome.failures.empty()) {
    out << outcome.failures.size() << " failed:\n";
    PrintLines(out, outcome.failures);
  }
  if (outcome.interrupted) return kInterruptedExitCode;
  return outcome.failures.empty() ? 0 : 1;
}

}  // namespace cli
