#include "backup/Submission.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "backup/ArchiveNames.h"
#include "backup/ArchiveStep.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"

namespace backup {

std::set<WString> FilesIn(const WString& folder) {
  std::set<WString> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(text::ToPath(folder), ec), end; !ec && it != end; it.increment(ec))
    names.insert(text::FromPath(it->path().filename()));
  return names;
}

WStringList DistinctArchives(const WStringList& archives) {
  WStringList distinct;
  for (const WString& a : archives)
    if (!a.empty() && std::find(distinct.begin(), distinct.end(), a) == distinct.end()) distinct.push_back(a);
  return distinct;
}

// Earlier exports stay: see docs/behaviour.md.
void DeletePerDeviceArchives(IReportLog& log, const WStringList& archives, const std::set<WString>& kept) {
  for (const WString& archive : DistinctArchives(archives)) {
    if (!paths::FileExists(archive) || kept.count(paths::ExtractFileName(archive))) continue;
    std::error_code ec;
    paths::RemoveFile(archive, ec);
    if (ec)
      log.AddLine(u"The archive \"" + archive + u"\" could not be deleted: " + FileErrorText(ec) +
                        u"\r\n");
  }
}

TExportResult PackSubmission(const TExportTarget& target, const WStringList& archives,
                             const winapi::SystemTime& localTime, IReportLog& log, IProgress& progress) {
  TExportResult result;
  result.archive = SubmissionBaseName(target.folder, localTime);
  ArchiveFiles(log, progress, target.sevenZipLibrary, result.archive, target.folder, WString(),
               DistinctArchives(archives), false, result.error, target.naming);
  return result;
}

}  // namespace backup
