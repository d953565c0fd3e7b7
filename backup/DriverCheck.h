// Verifying one driver: its catalog, then its INF, then every other file of its
// driver-store folder, each check written to the report as the Shell tab shows
// it and kept as a structured result.
#pragma once
#include <vector>

#include "backup/Sinks.h"
#include "devices/Devices.h"
#include "signing/CryptCat.h"

namespace backup {

// One line of a check's report: "SHA-1", "SHA-256", "Tag", "Catalog" (a system
// catalog that lists the file) or one of the catalog's attributes.
struct TReportField {
  WString name, value;
};

// One check: the catalog itself, the INF, or another file.
struct TFileCheck {
  WString label;  // "Catalog", "INF File" or "File"
  WString shown;  // as the report names it: the full path, or a file's bare name
  WString path;   // the full path checked
  std::vector<TReportField> fields;  // in report order
  bool passed = false;
  WString error;  // why it failed; empty when it passed
  WString signer; // the subject of the certificate that signed it; empty when unsigned or not known

  // The value of the first field of that name; empty when there is none.
  WString Field(WStringView name) const;
};

struct TVerifyReport {
  WString catalog;                 // the catalog the files were checked against; empty: none known
  std::vector<TFileCheck> checks;  // catalog, INF, other files, in report order
  bool passed = false;             // the folder held files and every check passed

  // The check of the catalog itself; null when there was none.
  const TFileCheck* CatalogCheck() const;
  // The first check that failed, in one line: "<label> <shown>: <error>"; empty when none failed.
  WString FirstFailure() const;
  // Who signed the driver: the catalog's signer; without a catalog, the distinct
  // signers of its files, "; " between them. Empty when none is known.
  WString Signer() const;
};

// The device's `Files` (relative to its driver-store folder), read now: what the
// window's files grid shows and what verification and export go through.
WStringList DriverFiles(const TDevice& device);

// Writes "*** Verifying Driver ***" and the report of every check to `log`; the
// progress shows "Verifying Driver Files" and the count of files checked. The
// catalog is OriginalCatName in the driver-store folder, else the system catalog
// listing the INF. A device without files fails with the banner alone.
TVerifyReport VerifyDriver(const TDevice& device, TCatalogChecker& checker, IReportLog& log, IProgress& progress);

}  // namespace backup
