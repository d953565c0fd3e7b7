// TfrmMainForm: Prepare NAVU Submission, one archive of the per-device archives
// of every listed driver that passes verification (never Microsoft's own).
#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "app/CommandSteps.h"
#include "app/ExportNames.h"
#include "app/ExportedPackages.h"
#include "app/MainFormUnit.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace {

// The files directly in `folder` now: what the submission must leave in place.
std::set<WString> FilesIn(const WString& folder) {
  std::set<WString> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(text::ToPath(folder), ec), end; !ec && it != end; it.increment(ec))
    names.insert(text::FromPath(it->path().filename()));
  return names;
}

// Each archive once, in list order; the empty entries of devices not exported left out.
WStringList DistinctArchives(const WStringList& archives) {
  WStringList distinct;
  for (const WString& a : archives)
    if (!a.empty() && std::find(distinct.begin(), distinct.end(), a) == distinct.end()) distinct.push_back(a);
  return distinct;
}

// Deletes the per-device archives made for the submission. An archive whose name
// was already taken before the submission began is the user's earlier export of
// the same driver (just replaced by a fresh one) and stays.
void DeletePerDeviceArchives(TfrmMainForm& form, const WStringList& archives, const std::set<WString>& kept) {
  for (const WString& archive : DistinctArchives(archives)) {
    if (!paths::FileExists(archive) || kept.count(paths::ExtractFileName(archive))) continue;
    std::error_code ec;
    std::filesystem::remove(text::ToPath(archive), ec);
    if (ec)
      form.AddShellLine(u"The archive \"" + archive + u"\" could not be deleted: " + text::FromUtf8(ec.message()) +
                        u"\r\n");
  }
}

}  // namespace

void TfrmMainForm::btnSubmitClick() {
  if (!commands::OperatingSystemSupported()) return;
  if (view_.mnuIncludeMicrosoft().Checked()) {
    view_.mnuIncludeMicrosoft().SetChecked(false);
    btnScanClick();
  }
  view::IFolderPicker& picker = commands::SharedFolderPicker(*this, u"Preparing NAVU Submission");
  WString submission;
  bool written = false;
  commands::RunThenAlways(
      [&] {
        if (DeviceList.empty() || !commands::PickOutputFolder(*this, picker)) return;
        const WString chosen = picker.FileName();
        const std::set<WString> before = FilesIn(chosen);
        WStringList archives(DeviceList.size());
        commands::RunThenAlways(
            [&] {
              TExportedPackages exported;
              for (size_t i = 0; i < DeviceList.size(); ++i) {
                TDevice& device = DeviceList[i];
                ShowDevice(device);
                if (!VerifyDriver(device, false)) continue;  // left out without a message
                archives[i] = ExportPackageOnce(*this, device, exported);
              }
              submission = exportnames::SubmissionBaseName(chosen, Os().system->GetLocalTime());
              written = ArchiveFiles(*this, SevenZipLibraryPath, submission, chosen, WString(),
                                     DistinctArchives(archives), false);
            },
            [&] { DeletePerDeviceArchives(*this, archives, before); });
      },
      [&] {
        CloseProgress();
        commands::LogComplete(*this);
        // A submission that was not written is not shown as if it were; the
        // archive step's error message is the outcome.
        if (written || submission.empty()) commands::StartExplorer(u"/select," + submission);
      });
}
