// export, export-all and submit: the archives exactly as the window's Export
// Driver, Export All and Prepare NAVU Submission write them, a report per device
// in list order, and the record of the export beside the archives.
#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/ExportNames.h"
#include "app/SubmissionFiles.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ExportRecord.h"
#include "cli/ExportRun.h"
#include "cli/ProgressLine.h"
#include "cli/Sha256.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/HostPath.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }
// Paths print as UTF-8 whatever the system's code page.
std::string U8(const fs::path& p) { return text::ToUtf8(text::FromPath(p)); }

bool IsSameOrBelow(const fs::path& inner, const fs::path& outer) {
  const auto [o, i] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
  return o == outer.end();
}

// The output folder as an absolute path, made when missing; never at or below
// the installation being read.
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

unsigned Jobs(const Options& options) {
  if (options.jobs) return options.jobs;
  return std::max(1u, std::thread::hardware_concurrency());
}

struct Submission {
  WString archive;  // with extension; empty when not written
  std::vector<Message> messages;
};

// Packs the per-device archives into NAVU-<time> and deletes them, as the
// window's submission does.
Submission Submit(Session& session, const WString& folder, const std::vector<DeviceOutcome>& outcomes,
                  const std::set<WString>& before) {
  Submission s;
  MessagePort::Collector collect(s.messages);
  WStringList archives;
  for (const DeviceOutcome& o : outcomes) archives.push_back(o.archive);
  WString name = exportnames::SubmissionBaseName(folder, Os().system->GetLocalTime());
  bool written = false;
  try {
    written = ArchiveFiles(session.Form(), session.SevenZipLibrary(), name, folder, WString(),
                           submissionfiles::DistinctArchives(archives), false);
  } catch (...) {
    submissionfiles::DeletePerDeviceArchives(session.Form(), archives, before);
    throw;
  }
  submissionfiles::DeletePerDeviceArchives(session.Form(), archives, before);
  if (written) s.archive = name;
  return s;
}

void PrintMessages(std::ostream& out, const std::vector<Message>& messages) {
  for (const Message& m : messages) out << "[" << KindName(m.kind) << "] " << U8(m.text) << '\n';
}

// Each device not exported, and a submission not written, with the reason.
std::vector<std::string> Failures(const std::vector<RecordRow>& rows, const Submission* submission) {
  std::vector<std::string> failures;
  for (const RecordRow& row : rows)
    if (row.archive.empty()) failures.push_back(row.name + " (" + row.instanceId + "): " + row.verdict);
  if (submission && submission->archive.empty()) {
    std::string why = "the submission archive was not written";
    for (const Message& m : submission->messages) why += ": " + U8(m.text);
    failures.push_back(why);
  }
  return failures;
}

nlohmann::ordered_json ResultJson(const fs::path& record, const std::vector<RecordRow>& rows,
                                  const std::vector<std::string>& reports, const Submission* submission,
                                  const std::vector<std::string>& failures) {
  nlohmann::ordered_json j;
  j["record"] = U8(record);
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
      j["submission"] = {{"archive", U8(archive.filename())},
                         {"archiveSize", fs::file_size(archive)},
                         {"sha256", Sha256OfFile(archive)}};
    }
  }
  j["failures"] = failures;
  return j;
}

void PrintSummary(std::ostream& out, const fs::path& folder, const fs::path& record,
                  const std::vector<RecordRow>& rows, const Submission* submission,
                  const std::vector<std::string>& failures) {
  if (submission) {
    PrintMessages(out, submission->messages);
    if (!submission->archive.empty()) out << "Submission: " << U8(submission->archive) << '\n';
  }
  const auto written = [](const RecordRow& r) { return !r.archive.empty(); };
  const size_t exported = size_t(std::count_if(rows.begin(), rows.end(), written));
  out << exported << " of " << rows.size() << " devices exported to " << U8(folder) << "\nRecord: " << U8(record)
      << '\n';
  if (failures.empty()) return;
  out << failures.size() << " failed:\n";
  for (const std::string& f : failures) out << "  " << f << '\n';
}

}  // namespace

int RunExport(Session& session, const Options& options, std::ostream& out, std::ostream& err) {
  const TDeviceList devices = Chosen(session, options);  // an unknown device stops before --to is made
  const fs::path folder = OutputFolder(options.to, session.InstallationRoot());
  const WString chosen = text::FromPath(folder);
  const std::set<WString> before = submissionfiles::FilesIn(chosen);

  ProgressLine progress(err, IsTerminal(stderr), devices.size(), TerminalColumns(stderr));
  std::vector<std::string> reports;
  std::vector<RecordRow> rows;
  const std::vector<DeviceOutcome> outcomes = ExportDevices(
      devices, {session.SevenZipLibrary(), chosen, Jobs(options)},
      [&](size_t i, const DeviceOutcome& outcome) {
        rows.push_back(MakeRecordRow(devices[i], outcome));
        if (options.json) {
          reports.push_back(PlainLines(outcome.report));
          return;
        }
        progress.Clear();
        out << "=== " << U8(ShownName(devices[i])) << " (" << U8(devices[i].InstanceId) << ")\n"
            << PlainLines(outcome.report);
        PrintMessages(out, outcome.messages);
        out << "--> " << rows.back().verdict << (rows.back().archive.empty() ? "" : ": " + rows.back().archive)
            << "\n\n"
            << std::flush;
      },
      [&](size_t i, const WString& title, const WString& text, const WString& caption) {
        progress.Show(i, ShownName(devices[i]), title, text, caption);
      });
  progress.Clear();

  Submission submission;
  if (options.verb == Verb::Submit) submission = Submit(session, chosen, outcomes, before);

  const fs::path record = folder / RecordFileName(Os().system->GetLocalTime());
  WriteRecord(record, rows);

  const std::vector<std::string> failures = Failures(rows, options.verb == Verb::Submit ? &submission : nullptr);
  if (options.json)
    out << ResultJson(record, rows, reports, options.verb == Verb::Submit ? &submission : nullptr, failures).dump(2)
        << '\n';
  else
    PrintSummary(out, folder, record, rows, options.verb == Verb::Submit ? &submission : nullptr, failures);
  return failures.empty() ? 0 : 1;
}

}  // namespace cli
