// export, export-all and submit: the archives exactly as the window's Export
// Driver, Export All and Prepare NAVU Submission write them, a report per device
// in list order, and the record of the export beside the archives.
#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "backup/BackupIndex.h"
#include "backup/DeviceList.h"
#include "backup/ExportRecord.h"
#include "backup/ExportRun.h"
#include "backup/ReportText.h"
#include "backup/Sha256.h"
#include "backup/Submission.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ProgressLine.h"
#include "cli/StopRequests.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/HostPath.h"
#include "platform/Interrupt.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace cli {

namespace fs = std::filesystem;
using backup::RecordRow;

unsigned Jobs(const Options& options) {
  if (options.jobs) return options.jobs;
  return std::max(1u, std::thread::hardware_concurrency());
}

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }
// Paths print as UTF-8 whatever the system's code page.
std::string U8(const fs::path& p) { return text::ToUtf8(text::FromPath(p)); }
// A record's cell (UTF-8, from the disk) as the terminal shows it.
std::string ShownCell(const std::string& cell) { return Shown(text::FromUtf8(cell)); }

bool IsSameOrBelow(const fs::path& inner, const fs::path& outer) {
  const auto [o, i] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
  return o == outer.end();
}


// The devices to export: the named ones (each once, in the order given), or every
// scanned device in the window's order.
TDeviceList Chosen(Session& session, const Options& options) {
  if (options.verb != Verb::Export) return session.Devices();
  TDeviceList devices;
  std::set<const TDevice*> seen;
  for (const std::string& wanted : options.devices) {
    const TDevice& device = session.Find(wanted);
    if (seen.insert(&device).second) devices.push_back(device);
  }
  return devices;
}

struct Submission {
  WString archive;  // with extension; empty when not written
  WString error;    // why it was not written
  WString notes;    // per-device archives that could not be deleted
};

// Packs the per-device archives into NAVU-<time> and deletes them, as the
// window's submission does.
Submission Submit(const backup::TExportTarget& target, const std::vector<backup::TDeviceOutcome>& outcomes,
                  const std::set<WString>& before, const winapi::SystemTime& now) {
  const WStringList archives = backup::ArchivesOf(outcomes);
  backup::TReportText log, deletions;
  backup::TNoProgress progress;
  backup::TExportResult packed;
  try {
    packed = backup::PackSubmission(target, archives, now, log, progress);
  } catch (...) {
    backup::DeletePerDeviceArchives(deletions, archives, before);
    throw;
  }
  backup::DeletePerDeviceArchives(deletions, archives, before);
  return {packed.error.empty() ? packed.archive : WString(), packed.error, deletions.Text()};
}

nlohmann::ordered_json RecordJson(const RecordRow& r) {
  nlohmann::ordered_json j = {{"instanceId", r.instanceId}, {"name", r.name},         {"class", r.deviceClass},
                              {"hardwareIds", r.hardwareIds}, {"provider", r.provider}, {"version", r.version},
                              {"date", r.date},             {"inf", r.inf},           {"verdict", r.verdict}};
  if (r.archive.empty()) {
    j["archive"] = nullptr;
  } else {
    j["archive"] = r.archive;
    j["archiveSize"] = r.archiveSize;
    j["sha256"] = r.sha256;
  }
  j["signer"] = r.signer.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(r.signer);
  return j;
}

// A device's outcome in one line: "exported <archive>", "already exported as
// <archive>" (its package was archived for an earlier device) or "failed: <reason>".
std::string DeviceLine(const backup::TDeviceOutcome& outcome, bool shared) {
  if (!outcome.exported()) return "failed: " + Shown(backup::FirstReason(outcome));
  return (shared ? "already exported as " : "exported ") + Shown(paths::ExtractFileName(outcome.archive));
}

// Each device not exported, and a submission not written, with the reason.
std::vector<std::string> Failures(const std::vector<RecordRow>& rows, const Submission* submission) {
  std::vector<std::string> failures;
  for (const RecordRow& row : rows)
    if (row.archive.empty()) failures.push_back(ShownCell(row.name) + " (" + ShownCell(row.instanceId) + "): " +
                         ShownCell(row.verdict));
  if (submission && submission->archive.empty()) {
    std::string why = "the submission archive was not written";
    if (!submission->error.empty()) why += ": " + Shown(submission->error);
    failures.push_back(why);
  }
  return failures;
}

nlohmann::ordered_json ResultJson(const fs::path& record, const fs::path& index, const std::vector<RecordRow>& rows,
                                  const std::vector<std::string>& reports, const Submission* submission,
                                  const std::vector<std::string>& failures) {
  nlohmann::ordered_json j;
  j["record"] = U8(record);
  j["index"] = U8(index);
  j["devices"] = nlohmann::ordered_json::array();
  for (size_t i = 0; i < rows.size(); ++i) {
    nlohmann::ordered_json row = RecordJson(rows[i]);
    row["report"] = reports[i];
    j["devices"].push_back(std::move(row));
  }
  if (submission) {
    j["submission"] = nullptr;
    if (!submission->archive.empty()) {
      const fs::path archive = paths::HostPath(submission->archive);
      std::error_code ec;
      const uint64_t size = paths::FileSize(submission->archive, ec);
      if (ec) throw QuillonError(submission->archive + u": " + FileErrorText(ec));
      j["submission"] = {{"archive", U8(archive.filename())},
                         {"archiveSize", size},
                         {"sha256", backup::Sha256OfFile(archive)}};
    }
  }
  j["failures"] = failures;
  j["interrupted"] = interrupt::Requested();
  return j;
}

void PrintSummary(std::ostream& out, const fs::path& folder, const fs::path& record, const fs::path& index,
                  const std::vector<RecordRow>& rows, const Submission* submission,
                  const std::vector<std::string>& failures) {
  if (submission) {
    if (!submission->error.empty()) out << "[error] " << PlainLines(submission->error) << '\n';
    out << PlainLines(submission->notes);
    if (!submission->archive.empty()) out << "Submission: " << Shown(submission->archive) << '\n';
  }
  const auto written = [](const RecordRow& r) { return !r.archive.empty(); };
  const size_t exported = size_t(std::count_if(rows.begin(), rows.end(), written));
  out << exported << " of " << rows.size() << " devices exported to " << Shown(text::FromPath(folder))
      << "\nRecord: " << Shown(text::FromPath(record)) << "\nIndex: " << Shown(text::FromPath(index)) << '\n';
  if (failures.empty()) return;
  out << failures.size() << " failed:\n";
  for (const std::string& f : failures) out << "  " << f << '\n';
}

}  // namespace

fs::path OutputFolder(const std::string& to, const fs::path& installation) {
  std::error_code ec;
  const fs::path folder = fs::absolute(text::ToPath(text::FromUtf8(to)), ec).lexically_normal();
  if (ec) throw UsageError("--to \"" + to + "\": " + U8(FileErrorText(ec)));
  if (fs::exists(folder, ec) && !fs::is_directory(folder, ec))
    throw UsageError("--to \"" + to + "\" is a file, not a folder");
  if (!installation.empty()) {
    // Compared with links resolved: a link into the installation is inside it too.
    const fs::path root = fs::weakly_canonical(installation, ec);
    if (!ec && IsSameOrBelow(fs::weakly_canonical(folder, ec), root))
      throw UsageError("--to \"" + to + "\" lies inside the installation being read (" + U8(root) +
                       "); nothing is written there: choose a folder elsewhere");
  }
  fs::create_directories(folder, ec);
  if (ec) throw QuillonError("--to \"" + to + "\": the folder cannot be made: " + U8(FileErrorText(ec)));
  return folder;
}

int RunExport(Session& session, const Options& options, std::ostream& out, std::ostream& err) {
  const StopRequests stopRequests;  // Ctrl+C: stop after the file under way, keep the record
  const TDeviceList devices = Chosen(session, options);  // an unknown device stops before --to is made
  const fs::path folder = OutputFolder(options.to, session.InstallationRoot());
  // The folder is the user's: every archive is created new, under the next free name.
  const backup::TExportTarget target = {text::FromPath(folder), session.SevenZipLibrary(),
                                        backup::ArchiveNaming::NextFreeName};
  const std::set<WString> before = backup::FilesIn(target.folder);

  ProgressLine progress(err, IsTerminal(stderr), devices.size(), TerminalColumns(stderr));
  std::vector<std::string> reports;
  std::vector<RecordRow> rows;
  std::set<WString> archivesSeen;  // a later device with one of these shares an earlier device's package
  backup::ArchiveDigests digests;   // the record's hashes, which the index reuses
  const std::vector<backup::TDeviceOutcome> outcomes = backup::RunDevices(
      devices, {target, Jobs(options), &interrupt::Flag()},
      [&](size_t i, const backup::TDeviceOutcome& outcome) {
        rows.push_back(backup::MakeRecordRow(devices[i], outcome));
        if (outcome.exported()) digests[outcome.archive] = {rows.back().archiveSize, rows.back().sha256};
        if (options.json) {
          reports.push_back(PlainLines(outcome.report));
          return;
        }
        progress.Clear();
        const std::string device = Shown(backup::ShownName(devices[i])) + " (" + Shown(devices[i].InstanceId) + ")";
        const bool shared = outcome.exported() && !archivesSeen.insert(outcome.archive).second;
        if (!options.verbose) {
          out << device << ": " << DeviceLine(outcome, shared) << '\n' << std::flush;
          return;
        }
        out << "=== " << device << "\n" << PlainLines(outcome.report);
        if (!outcome.archiveError.empty()) out << "[error] " << PlainLines(outcome.archiveError) << '\n';
        out << "--> " << ShownCell(rows.back().verdict)
            << (rows.back().archive.empty() ? "" : ": " + ShownCell(rows.back().archive)) << "\n\n"
            << std::flush;
      },
      [&](size_t i, const backup::TProgressState& state) {
        progress.Show(i, backup::ShownName(devices[i]), state.title, state.text, state.Caption());
      });
  progress.Clear();

  // Read back before the submission packs (and removes) the per-device archives.
  WStringList unindexed;
  backup::BackupIndex index = backup::IndexOfRun(devices, outcomes, target.sevenZipLibrary, unindexed, digests);
  std::vector<std::string> indexProblems;
  for (const WString& problem : unindexed) indexProblems.push_back(Shown(problem));

  // One time stamp names the submission, the record and the index.
  const winapi::SystemTime now = Os().system->GetLocalTime();
  Submission submission;
  if (options.verb == Verb::Submit) submission = Submit(target, outcomes, before, now);

  const fs::path record = backup::WriteRecord(folder, now, rows);
  const fs::path indexFile = backup::WriteIndexOfRun(std::move(index), folder, now, record, submission.archive);

  std::vector<std::string> failures = Failures(rows, options.verb == Verb::Submit ? &submission : nullptr);
  failures.insert(failures.end(), indexProblems.begin(), indexProblems.end());
  if (options.json)
    out << ResultJson(record, indexFile, rows, reports, options.verb == Verb::Submit ? &submission : nullptr,
                      failures)
               .dump(2)
        << '\n';
  else
    PrintSummary(out, folder, record, indexFile, rows, options.verb == Verb::Submit ? &submission : nullptr, failures);
  if (interrupt::Requested()) {
    err << "quillon: interrupted; the record names what was finished\n";
    return kInterruptedExitCode;
  }
  return failures.empty() ? 0 : 1;
}

}  // namespace cli
