#include "backup/BackupIndex.h"

#include <cstdio>

#include "backup/ArchiveNames.h"
#include "backup/PackageArchive.h"
#include "backup/Sha256.h"
#include "platform/Errors.h"
#include "platform/FileErrors.h"
#include "platform/FileOps.h"
#include "platform/HostPath.h"
#include "platform/Paths.h"

namespace backup {
namespace {

// The verdict of the verification that let the package be exported.
WString SignatureVerdict(const TVerifyReport& verification) {
  if (verification.catalog.empty()) return u"unsigned";
  const TFileCheck* catalog = verification.CatalogCheck();
  return catalog && catalog->passed && verification.passed ? u"signed" : u"not trusted";
}

// The package's archive digest (`known` when it was measured at the archive's
// size), the verification's verdict and signer.
void Attest(BackupPackage& package, const std::filesystem::path& file, const TVerifyReport& verification,
            const ArchiveDigest* known) {
  // A size other than the one measured means the file changed since: hashed anew.
  const bool measured = known && known->size == package.archiveSize && !known->sha256.empty();
  package.archiveSha256 = measured ? known->sha256 : Sha256OfFile(file);
  package.signature = SignatureVerdict(verification);
  if (const TFileCheck* catalog = verification.CatalogCheck()) package.signer = catalog->signer;
}

WString StoreFolderOf(const TDevice& device) { return paths::ExtractFilePath(device.DriverStore); }

}  // namespace

std::string IndexFileName(const winapi::SystemTime& t) { return "Quillon-index-" + TimeStamp(t) + ".json"; }

std::string IndexTime(const winapi::SystemTime& t) {
  char time[32];
  std::snprintf(time, sizeof time, "%04u-%02u-%02uT%02u:%02u:%02u", unsigned(t.wYear) % 10000,
                unsigned(t.wMonth) % 100, unsigned(t.wDay) % 100, unsigned(t.wHour) % 100, unsigned(t.wMinute) % 100,
                unsigned(t.wSecond) % 100);
  return time;
}

bool IsIndexName(const WString& name) { return paths::MatchesMask(name, u"Quillon-index-*.json"); }

BackupPackage ExportedPackage(const WString& archive, const TDevice& device, const TVerifyReport& verification,
                              const WString& sevenZipLibrary, const ArchiveDigest* known) {
  const std::filesystem::path file = paths::HostPath(archive);
  const WString storeFolder = StoreFolderName(device);
  BackupPackage package = ReadPackageArchive(file, sevenZipLibrary, storeFolder);
  Attest(package, file, verification, known);
  return package;
}

BackupIndex IndexOfRun(const TDeviceList& devices, const std::vector<TDeviceOutcome>& outcomes,
                       const WString& sevenZipLibrary, WStringList& problems, const ArchiveDigests& known) {
  // The last device to name an archive knows what it holds now (a later export
  // of that name replaces the file); its reading serves when it came from the
  // same store folder as the first one's, which the index names.
  std::map<WString, size_t> last;
  for (size_t i = 0; i < outcomes.size(); ++i)
    if (outcomes[i].exported()) last[outcomes[i].archive] = i;
  TIndexedPackages packages;
  for (size_t i = 0; i < outcomes.size(); ++i) {
    if (!outcomes[i].exported()) continue;
    const auto digest = known.find(outcomes[i].archive);
    const size_t latest = last[outcomes[i].archive];
    const bool sameStore = StoreFolderOf(devices[latest]) == StoreFolderOf(devices[i]);
    const std::optional<BackupPackage>& exported = outcomes[latest].package;
    try {
      packages.Add(outcomes[i].archive, devices[i], outcomes[i].verification, sevenZipLibrary,
                   digest == known.end() ? nullptr : &digest->second,
                   exported && sameStore ? &*exported : nullptr);
    } catch (const QuillonError& e) {
      problems.push_back(u"the index leaves out " + outcomes[i].archive + u": " + e.Message());
    }
  }
  BackupIndex index;
  index.packages = packages.Packages();
  return index;
}

void SetSubmission(BackupIndex& index, const WString& archive) {
  const std::filesystem::path file = paths::HostPath(archive);
  std::error_code ec;
  index.submissionSize = paths::FileSize(archive, ec);
  if (ec) throw QuillonError(archive + u": " + FileErrorText(ec));
  index.submission = text::FromPath(file.filename());
  index.submissionSha256 = Sha256OfFile(file);
}

std::filesystem::path WriteIndexOfRun(BackupIndex index, const std::filesystem::path& folder,
                                      const winapi::SystemTime& localTime, const std::filesystem::path& record,
                                      const WString& submission) {
  index.created = IndexTime(localTime);
  index.record = record.empty() ? WString() : text::FromPath(record.filename());
  if (!submission.empty()) SetSubmission(index, submission);
  return WriteBackupIndex(folder, localTime, index);
}

void TIndexedPackages::Add(const WString& archive, const TDevice& device, const TVerifyReport& verification,
                           const WString& sevenZipLibrary, const ArchiveDigest* known,
                           const BackupPackage* exported) {
  const WString name = paths::ExtractFileName(archive);
  for (const BackupPackage& p : packages_)
    if (p.archive == name) return;  // a package shared by several devices is one archive
  if (!exported) {
    packages_.push_back(ExportedPackage(archive, device, verification, sevenZipLibrary, known));
    return;
  }
  BackupPackage package = *exported;
  Attest(package, paths::HostPath(archive), verification, known);
  packages_.push_back(std::move(package));
}

}  // namespace backup
