#include "restore/ExtractedPackage.h"

#include <system_error>

#include "archive/ArchiveReader.h"
#include "backup/DriverCheck.h"
#include "backup/ReportText.h"
#include "backup/Sha256.h"
#include "backup/TemporaryFolder.h"
#include "platform/Errors.h"
#include "platform/FileOps.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "platform/SafeText.h"

namespace restore {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

// The file a backup lists, below the package folder; its name checked part by part.
std::filesystem::path ListedFile(const std::filesystem::path& folder, const WString& relative) {
  std::filesystem::path file = folder;
  size_t start = 0;
  for (;;) {
    const size_t end = relative.find(u'\\', start);
    const WString part = relative.substr(start, end == WString::npos ? WString::npos : end - start);
    CheckPlainName(part, "file name");
    file /= text::ToPath(part);
    if (end == WString::npos) return file;
    start = end + 1;
  }
}

// Why a listed file does not match the export; empty when it does.
WString FileProblem(const std::filesystem::path& folder, const backup::BackupFile& listed) {
  const std::filesystem::path file = ListedFile(folder, listed.path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error)))
    return listed.path + u" is missing";
  const uint64_t size = paths::FileSize(text::FromPath(file), error);
  if (error) return listed.path + u": " + text::FromUtf8(error.message());
  if (size != listed.size)
    return listed.path + u" has " + text::FromUInt(size) + u" bytes, the export had " +
           text::FromUInt(listed.size);
  if (!listed.sha256.empty() && backup::Sha256OfFile(file) != listed.sha256)
    return listed.path + u" is not the file that was exported (its SHA-256 differs)";
  return WString();
}

}  // namespace

void CheckPlainName(const WString& name, const char* what) {
  const bool plain = !name.empty() && name != u"." && name != u".." && name.find_first_of(u"/\\:") == WString::npos &&
                     name.find(u'\0') == WString::npos;
  if (!plain) throw QuillonError(std::string("The backup names a ") + what + " that is no plain name: \"" +
                                 U8(text::Visible(name)) + "\"");
}

ExtractedPackage::ExtractedPackage(const std::filesystem::path& backupFolder, const backup::BackupPackage& package,
                                   const std::filesystem::path& tempFolder, const WString& sevenZipLibrary)
    : package_(package), work_("package", tempFolder) {
  CheckPlainName(package.archive, "archive");
  if (!package.storeFolder.empty()) CheckPlainName(package.storeFolder, "package folder");
  CheckPlainName(package.infName, "INF");
  const auto reader =
      archive::OpenArchiveReader(text::FromPath(backupFolder / text::ToPath(package.archive)), sevenZipLibrary);
  archive::ExtractArchive(*reader, text::FromPath(work_.Path()));
  // The archive holds the package's folder, or (as the exports do) the folder's
  // files at its root.
  folder_ = work_.Path();
  std::error_code error;
  if (const std::filesystem::path inner = work_.Path() / text::ToPath(package.storeFolder);
      !package.storeFolder.empty() && std::filesystem::is_directory(std::filesystem::symlink_status(inner, error)))
    folder_ = inner;
  inf_ = text::FromPath(folder_ / text::ToPath(package.infName));
}

ExtractedPackage::~ExtractedPackage() = default;

WString ExtractedPackage::Incomplete() const {
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(folder_ / text::ToPath(package_.infName), error)))
    return package_.infName + u" is not in the archive";
  for (const backup::BackupFile& listed : package_.files)
    if (WString problem = FileProblem(folder_, listed); !problem.empty()) return problem;
  return WString();
}

WString ExtractedPackage::RemoveWorkFolder() {
  std::error_code error;
  paths::RemoveFolderTree(text::FromPath(work_.Path()), error);
  if (!error) return WString();
  return u"The extracted package " + text::FromPath(work_.Path()) + u" could not be removed: " +
         text::FromUtf8(error.message());
}

void ExtractedPackage::MoveTo(const std::filesystem::path& destination) {
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(destination, error)))
    throw QuillonError(text::FromPath(destination) + u" is there already");
  std::filesystem::rename(folder_, destination, error);
  if (error)
    throw QuillonError(u"Cannot move " + text::FromPath(folder_) + u" to " + text::FromPath(destination) + u": " +
                       text::FromUtf8(error.message()));
}

WString ExtractedPackage::Problem() const {
  if (WString incomplete = Incomplete(); !incomplete.empty()) return incomplete;

  // The extracted folder checked as a driver-store folder is.
  TDevice extracted;
  extracted.DriverStore = inf_;
  extracted.OriginalCatName = package_.catalog;
  extracted.Files = GetFilesList(paths::IncludeTrailingPathDelimiter(text::FromPath(folder_)), true);
  TCatalogChecker checker;
  backup::TReportText log;
  backup::TNoProgress progress;
  const backup::TVerifyReport report = backup::VerifyDriver(extracted, checker, log, progress);
  if (report.passed) return WString();
  for (const backup::TFileCheck& check : report.checks)
    if (!check.passed) return paths::ExtractFileName(check.shown) + u": " + check.error;
  return WString(u"no file of the package is signed");
}

}  // namespace restore
