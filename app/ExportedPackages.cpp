#include "app/ExportedPackages.h"

#include "app/ExportNames.h"
#include "platform/Paths.h"

namespace {

// Whether two archive names may be one file. Windows compares names without
// letter case, beyond ASCII too; characters outside ASCII count as possibly
// equal, so that a package is archived again rather than wrongly left out.
bool MayNameTheSameFile(WStringView a, WStringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= 0x80 && y >= 0x80) continue;
    if (x >= u'a' && x <= u'z') x = char16_t(x - 32);
    if (y >= u'a' && y <= u'z') y = char16_t(y - 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

WString TExportedPackages::ArchiveOf(const WString& archiveBase, const WString& storeFolder) const {
  for (auto it = written_.rbegin(); it != written_.rend(); ++it) {
    if (!MayNameTheSameFile(it->archiveBase, archiveBase)) continue;
    // The last export that touched this file decides what it holds now.
    if (it->archiveBase == archiveBase && it->storeFolder == storeFolder) return it->archive;
    return WString();
  }
  return WString();
}

void TExportedPackages::Record(const WString& archiveBase, const WString& storeFolder, const WString& archive) {
  written_.push_back({archiveBase, storeFolder, archive});
}

WString ExportPackageOnce(TfrmMainForm& form, TDevice& device, TExportedPackages& exported) {
  if (!form.dlg()) return form.ExportDriver(device);  // which raises for the missing folder
  const WString archiveBase = exportnames::ArchiveBaseName(form.dlg()->FileName(), device);
  const WString storeFolder = paths::ExtractFilePath(device.DriverStore);
  WString archive = exported.ArchiveOf(archiveBase, storeFolder);
  if (!archive.empty()) return archive;
  form.ShowProgress(u"Exporting Driver");
  archive = form.ExportDriver(device);
  exported.Record(archiveBase, storeFolder, archive);
  return archive;
}
