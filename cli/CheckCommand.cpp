// check: whether a backup is intact, archive by archive, then what lies beside
// them unnamed and what is missing. Names from the backup are shown printable.
#include <nlohmann/json.hpp>

#include "archive/EntryNames.h"
#include "backup/BackupCheck.h"
#include "cli/Commands.h"
#include "signing/CryptCat.h"

namespace cli {
namespace {

std::string Shown(const WString& s) { return text::ToUtf8(archive::Printable(s)); }

// JSON null for an empty text.
nlohmann::ordered_json Nullable(const WString& s) {
  return s.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(Shown(s));
}

nlohmann::ordered_json Strings(const WStringList& list) {
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  for (const WString& s : list) array.push_back(Shown(s));
  return array;
}

nlohmann::ordered_json ReportJson(const backup::BackupCheckReport& report) {
  nlohmann::ordered_json archives = nlohmann::ordered_json::array();
  for (const backup::ArchiveCheck& a : report.archives)
    archives.push_back({{"archive", Shown(a.archive)},
                        {"sound", a.sound()},
                        {"catalog", Nullable(a.catalog)},
                        {"problems", Strings(a.problems)}});
  return {{"index", Nullable(report.index)},
          {"submission", Nullable(report.submission)},
          {"sound", report.sound()},
          {"archives", archives},
          {"notIndexed", Strings(report.notIndexed)},
          {"missing", Strings(report.missing)},
          {"notes", Strings(report.notes)}};
}

void PrintReport(const backup::BackupCheckReport& report, std::ostream& out) {
  for (const WString& note : report.notes) out << Shown(note) << '\n';
  if (!report.index.empty()) out << "Index: " << Shown(report.index) << '\n';
  size_t sound = 0;
  for (const backup::ArchiveCheck& a : report.archives) {
    sound += a.sound();
    out << Shown(a.archive) << ": " << (a.sound() ? "sound" : "FAILED");
    if (!a.catalog.empty()) out << " (catalog " << Shown(a.catalog) << ")";
    out << '\n';
    for (const WString& problem : a.problems) out << "  " << Shown(problem) << '\n';
  }
  for (const WString& name : report.notIndexed) out << "Not in the index: " << Shown(name) << '\n';
  for (const WString& name : report.missing) out << "Missing: " << Shown(name) << '\n';
  out << sound << " of " << report.archives.size() << " archives sound; "
      << (report.sound() ? "the backup is intact" : "the backup is NOT intact") << '\n';
}

}  // namespace

int RunCheck(Session* session, const std::string& noSession, const Options& options, std::ostream& out) {
  TCatalogChecker checker;
  backup::CatalogCheckSettings catalogs;
  if (session) {
    catalogs.checker = &checker;
    catalogs.allowReading = [session](const std::filesystem::path& folder) { session->AllowReading(folder); };
  } else {
    catalogs.why = text::FromUtf8(noSession);
  }
  const WString library = session ? session->SevenZipLibrary() : WString();
  const backup::BackupCheckReport report =
      backup::CheckBackup(text::ToPath(text::FromUtf8(options.backup)), library, catalogs);
  if (options.json)
    out << ReportJson(report).dump(2) << '\n';
  else
    PrintReport(report, out);
  return report.sound() ? 0 : 1;
}

}  // namespace cli
