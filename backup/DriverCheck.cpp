#include "backup/DriverCheck.h"

#include <set>

#include "backup/PackageCompleteness.h"
#include "platform/Paths.h"

namespace backup {

WString TFileCheck::Field(WStringView name) const {
  for (const TReportField& f : fields)
    if (f.name == name) return f.value;
  return WString();
}

const TFileCheck* TVerifyReport::CatalogCheck() const {
  return !checks.empty() && checks.front().label == u"Catalog" ? &checks.front() : nullptr;
}

WString TVerifyReport::FirstFailure() const {
  for (const TFileCheck& check : checks)
    if (!check.passed) return check.label + u" " + check.shown + u": " + (check.error.empty() ? u"not trusted" : check.error);
  return {};
}

WString TVerifyReport::Signer() const {
  if (const TFileCheck* catalogCheck = CatalogCheck()) return catalogCheck->signer;
  WString signers;
  std::set<WString> seen;
  for (const TFileCheck& c : checks)
    if (!c.signer.empty() && seen.insert(c.signer).second) signers += (signers.empty() ? u"" : u"; ") + c.signer;
  return signers;
}

WStringList DriverFiles(const TDevice& device) {
  return GetFilesList(paths::ExtractFilePath(device.DriverStore), true);
}

TVerifyReport VerifyDriver(const TDevice& device, TCatalogChecker& checker, IReportLog& log, IProgress& progress) {
  TVerifyReport report;
  log.AddLine(u"*** Verifying Driver ***\r\n");

  const int64_t n = int64_t(device.Files.size());
  progress.Show(u"Verifying Driver Files");
  progress.SetFormatAsBytes(false);
  progress.SetBar(0, n + 2);
  if (device.Files.empty()) return report;

  const TShellCallback heading = [&](const WString& line) { log.Append(line); };
  // A check's verdict block, ending it.
  auto verdict = [&](TFileCheck& c) {
    if (c.passed) {
      c.error.clear();
      LogField(u"Trust", u"Verified", heading);
    } else {
      LogField(u"Trust", u"Failed", heading);
      LogField(u"Error", c.error, heading);
    }
    log.Append(u"\r\n");
  };
  // One check: its heading line, the lines of the check itself, the verdict block.
  auto check = [&](const WString& label, const WString& shown, const WString& progressText,
                   const WString& catalog, const WString& fileName) {
    TFileCheck& c = report.checks.emplace_back();
    c.label = label;
    c.shown = shown;
    c.path = fileName.empty() ? catalog : fileName;
    const TShellCallback shell = [&](const WString& line) {
      log.Append(line);
      TReportField field;
      if (ReadField(line, field.name, field.value)) c.fields.push_back(std::move(field));
    };
    LogField(label, shown, heading);
    progress.SetText(progressText);
    c.passed = checker.VerifyFile(catalog, fileName, shell, c.error);
    c.signer = checker.Signer();
    // A file the catalog lists (a member check) was signed by whoever signed the catalog.
    const TFileCheck* catalogCheck = report.CatalogCheck();
    if (c.passed && !catalog.empty() && !fileName.empty() && catalogCheck) c.signer = catalogCheck->signer;
    verdict(c);
  };
  // A check that failed without reaching the catalog: a file the package lacks, an INF Windows would refuse.
  auto failed = [&](const WString& label, const WString& shown, const WString& path, const WString& error) {
    TFileCheck& c = report.checks.emplace_back();
    c.label = label;
    c.shown = shown;
    c.path = path;
    c.error = error;
    LogField(label, shown, heading);
    verdict(c);
  };

  const WString folder = paths::ExtractFilePath(device.DriverStore);
  WString catalog = device.OriginalCatName.empty() ? WString() : folder + device.OriginalCatName;
  if (catalog.empty()) catalog = GetCatalogForFile(device.DriverStore);
  report.catalog = catalog;

  if (!catalog.empty()) {
    check(u"Catalog", catalog, paths::ExtractFileName(catalog), catalog, WString());
    progress.SetBar(1, n);
    if (!device.DriverStore.empty()) {
      check(u"INF File", device.DriverStore, paths::ExtractFileName(device.DriverStore), catalog,
            device.DriverStore);
      progress.SetBar(2, n);
    }
  }

  for (int64_t i = 0; i < n; ++i) {
    const WString& entry = device.Files[size_t(i)];
    if (paths::MatchesMask(entry, u"*.cat")) continue;
    const WString fileName = folder + entry;
    if (fileName == device.DriverStore) continue;  // exact: an INF spelt differently is checked again
    const WString bareName = paths::ExtractFileName(entry);
    check(u"File", bareName, bareName, catalog, fileName);
    progress.SetBar(i + 1, n);
  }
  // The files the INF needs that the folder lacks: the catalog cannot vouch for what is not there.
  if (!device.DriverStore.empty()) {
    try {
      for (const WString& missing : MissingPackageFiles(device.DriverStore, device.Files)) {
        const WString relative = text::ReplaceAll(missing, u"\\", WString(1, paths::kPathDelim));
        failed(u"File", paths::ExtractFileName(relative), folder + relative, u"File not found: " + missing);
      }
    } catch (const inf::InfError& e) {
      failed(u"INF File", device.DriverStore, device.DriverStore, e.Message());
    }
  }
  report.passed = true;
  for (const TFileCheck& c : report.checks) report.passed = report.passed && c.passed;
  return report;
}

}  // namespace backup
