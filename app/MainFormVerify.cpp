// TfrmMainForm: Verify Signatures and VerifyDriver, the signature gate of every export.
#include "app/MainFormUnit.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "signing/CryptCat.h"

namespace {

const WString kVerifyPassed = u"Verify completed with no reported errors. See Shell output for details.";
const WString kVerifyFailed = u"Verify completed with errors. See Shell output for details.";

}  // namespace

void TfrmMainForm::btnVerifyClick() {
  const view::NodeId node = FView.tvDevices().Selected();
  if (node == view::kNoNode) return;
  TDevice* device = FView.tvDevices().Device(node);
  if (!device) return;
  TProgressCloser closeProgress(*this);
  FView.reOutput().LinesClear();
  const bool passed = VerifyDriver(*device, true);
  Os().dialogs->ShowMessage(passed ? ports::MessageKind::Information : ports::MessageKind::Error,
                            passed ? kVerifyPassed : kVerifyFailed);
}

void TfrmMainForm::ShowVerifyFailed() { Os().dialogs->ShowMessage(ports::MessageKind::Error, kVerifyFailed); }

bool TfrmMainForm::VerifyDriver(TDevice& device, bool ClearOutput) {
  if (ClearOutput) FView.reOutput().LinesClear();
  FView.PageControl1().SetActivePage(view::Page::tsOutput);
  FView.reOutput().LinesAdd(u"*** Verifying Driver ***\r\n");

  const int64_t n = int64_t(device.Files.size());
  ShowProgress(u"Verifying Driver Files");
  SetProgressFormatAsBytes(false);
  auto setBar = [this](int64_t value, int64_t total) {
    if (FFrmProgress) FFrmProgress->SetProgressBar(value, total);
  };
  setBar(0, n + 2);
  if (device.Files.empty()) return false;

  const TShellCallback shell = [this](const WString& line) { AppendShellOutput(line); };
  int failures = 0;
  // One check: its heading line, the lines of the check itself, the verdict block.
  auto check = [&](const WString& label, const WString& shown, const WString& progressText,
                   const WString& catalog, const WString& fileName) {
    LogField(label, shown, shell);
    SetProgressText(progressText);
    WString message;
    const bool passed = VerifyFile(catalog, fileName, shell, message);
    if (passed) {
      LogField(u"Trust", u"Verified", shell);
    } else {
      ++failures;
      LogField(u"Trust", u"Failed", shell);
      LogField(u"Error", message, shell);
    }
    AppendShellOutput(u"\r\n");
  };

  const WString folder = paths::ExtractFilePath(device.DriverStore);
  WString catalog = device.OriginalCatName.empty() ? WString() : folder + device.OriginalCatName;
  if (catalog.empty()) catalog = GetCatalogForFile(device.DriverStore);

  if (!catalog.empty()) {
    check(u"Catalog", catalog, paths::ExtractFileName(catalog), catalog, WString());
    setBar(1, n);
    if (!device.DriverStore.empty()) {
      check(u"INF File", device.DriverStore, paths::ExtractFileName(device.DriverStore), catalog,
            device.DriverStore);
      setBar(2, n);
    }
  }

  for (int64_t i = 0; i < n; ++i) {
    const WString& entry = device.Files[size_t(i)];
    if (paths::MatchesMask(entry, u"*.cat")) continue;
    const WString fileName = folder + entry;
    if (fileName == device.DriverStore) continue;  // exact: an INF spelt differently is checked again
    const WString bareName = paths::ExtractFileName(entry);
    check(u"File", bareName, bareName, catalog, fileName);
    setBar(i + 1, n);
  }
  return failures == 0;
}
