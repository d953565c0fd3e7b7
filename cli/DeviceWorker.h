// One device at a time through the window's own building blocks: a main-window
// logic (TfrmMainForm) on an in-memory view of its own, so that several workers
// can export side by side. ShowDevice, VerifyDriver and ExportDriver are the ones
// the window's commands run.
#pragma once
#include <functional>
#include <vector>

#include "app/ExportedPackages.h"
#include "app/MainFormUnit.h"
#include "app/MemoryView.h"
#include "cli/Messages.h"

namespace cli {

struct DeviceOutcome {
  bool verified = false;
  WString archive;               // the archive written (with extension); empty: none
  WString report;                // the Shell log of this device (CR LF lines)
  std::vector<Message> messages; // what the window would have shown in message boxes
  WString failure;               // an error that ended the export
  bool exported() const { return !archive.empty(); }
};

// Told what the worker's progress window shows: title, text and bar caption.
using ProgressListener =
    std::function<void(const WString& title, const WString& text, const WString& caption)>;

class DeviceWorker {
 public:
  // `outputFolder`: where exports go (empty for a worker that only verifies).
  DeviceWorker(const WString& sevenZipLibrary, const WString& outputFolder, ProgressListener progress = {});
  DeviceWorker(const DeviceWorker&) = delete;
  DeviceWorker& operator=(const DeviceWorker&) = delete;

  // ShowDevice and VerifyDriver, as Verify Signatures does.
  DeviceOutcome Verify(TDevice device);
  // ShowDevice, VerifyDriver and, when it passed, the export of its package, as
  // Export All does for each device: a package already in `exported` is not
  // written again.
  DeviceOutcome Export(TDevice device, TExportedPackages& exported);

  // ShowDevice: the panels then hold the device (Shown()). Returns the messages
  // the window would have shown.
  std::vector<Message> Show(TDevice& device);
  // The properties grid, the files grid and the INF text as shown.
  const memview::MemoryView& Shown() const { return view_; }

 private:
  bool VerifyLogged(TDevice& device, DeviceOutcome& outcome);

  memview::MemoryView view_;
  TfrmMainForm form_;
  ProgressListener progress_;
};

}  // namespace cli
