// The backup index: what an export wrote, kept beside its record as
// Quillon-index-yyyy_mm_dd_hh_nn_ss.json so that `plan` and `check` know what a
// backup holds without opening every archive. Its format is described in README.md.
#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "backup/BackupContents.h"
#include "backup/DriverCheck.h"
#include "backup/ExportRun.h"
#include "devices/Devices.h"
#include "platform/WinTypes.h"

namespace backup {

struct BackupIndex {
  std::string created;   // local time of the export, "yyyy-mm-ddThh:nn:ss"
  WString record;        // the export record's file name; empty when the export wrote none
  WString submission;    // the submission archive holding the packages' archives; empty when none
  uint64_t submissionSize = 0;
  std::string submissionSha256;
  std::vector<BackupPackage> packages;  // one per archive
  bool operator==(const BackupIndex&) const = default;
};

// "Quillon-index-yyyy_mm_dd_hh_nn_ss.json".
std::string IndexFileName(const winapi::SystemTime& localTime);
// "yyyy-mm-ddThh:nn:ss".
std::string IndexTime(const winapi::SystemTime& localTime);
// Whether `name` is that of an index ("Quillon-index-*.json", any letter case).
bool IsIndexName(const WString& name);

// An archive's size and SHA-256 as measured already (for the export record), so
// that the index need not hash the archive a second time.
struct ArchiveDigest {
  uint64_t size = 0;
  std::string sha256;
};
using ArchiveDigests = std::map<WString, ArchiveDigest>;  // by the archive's path

// What an export of `device` wrote to `archive`: the archive read back (its
// files, their sizes and SHA-256, the package's INF), its own size and SHA-256
// (taken from `known` when that was measured at the archive's present size), the
// store folder it came from and the verification's verdict and signer.
BackupPackage ExportedPackage(const WString& archive, const TDevice& device, const TVerifyReport& verification,
                              const WString& sevenZipLibrary, const ArchiveDigest* known = nullptr);

// The packages of a run, each archive once, in the order first exported.
class TIndexedPackages {
 public:
  // `exported`, when given, is what the archive holds as its export read it;
  // otherwise the archive is read back. Raises QuillonError when it cannot be.
  void Add(const WString& archive, const TDevice& device, const TVerifyReport& verification,
           const WString& sevenZipLibrary, const ArchiveDigest* known = nullptr,
           const BackupPackage* exported = nullptr);
  const std::vector<BackupPackage>& Packages() const { return packages_; }

 private:
  std::vector<BackupPackage> packages_;
};

// The index of what a run exported, each archive once: as its export read it
// (TDeviceOutcome::package), else read back; archives whose digest `known` holds
// are not hashed again. An archive that cannot be read back
// is left out and named in `problems` ("the index leaves out <archive>: <why>").
BackupIndex IndexOfRun(const TDeviceList& devices, const std::vector<TDeviceOutcome>& outcomes,
                       const WString& sevenZipLibrary, WStringList& problems, const ArchiveDigests& known = {});

// Names the submission archive at `archive` in the index, with its size and SHA-256.
// Raises QuillonError when it cannot be read.
void SetSubmission(BackupIndex& index, const WString& archive);

// Writes `index` as a new file in `folder` (never over another file: the next
// free name, as CreateNewFile gives) and returns its path. A file that cannot be
// written completely is removed; raises QuillonError naming it and the cause.
std::filesystem::path WriteBackupIndex(const std::filesystem::path& folder, const winapi::SystemTime& localTime,
                                       const BackupIndex& index);

// Dates `index` with `localTime`, names the record written with it (`record`;
// empty: none) and the submission archive (`submission`, its size and SHA-256
// read now; empty: none) and writes it into `folder` as WriteBackupIndex does:
// how every export, the window's and the command line's, leaves its index.
std::filesystem::path WriteIndexOfRun(BackupIndex index, const std::filesystem::path& folder,
                                      const winapi::SystemTime& localTime, const std::filesystem::path& record,
                                      const WString& submission);

// Reads an index. Raises QuillonError naming the file when it cannot be read or
// is no index of this format.
BackupIndex ReadBackupIndex(const std::filesystem::path& file);

}  // namespace backup
