// One run of the command line: the machine read through its ports, the window's
// logic on an in-memory view, and the scan the window would make at start.
#pragma once
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/MainFormUnit.h"
#include "app/MemoryView.h"
#include "cli/CliOptions.h"
#include "cli/MachineAccess.h"
#include "cli/Messages.h"

namespace cli {

class Session {
 public:
  // Opens the machine and scans it as the window does (the Microsoft option as
  // given). Scan messages go to `err`.
  Session(const Options& options, std::ostream& err);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  TfrmMainForm& Form() { return *form_; }
  MessagePort& Messages() { return messages_; }
  // The scanned devices in the window's export order (DeviceList).
  const TDeviceList& Devices() const { return form_->DeviceList(); }
  // The devices as the tree shows them: classes in order, devices in list order.
  // `list` numbers them from 1.
  std::vector<TDevice*> Listed() const;
  // Every present device, also those the tree leaves out (scan order).
  TDeviceList AllDevices();
  // A device by its number in Listed() or its instance id (letter case ignored).
  // Raises UsageError when none matches.
  TDevice& Find(const std::string& device) const;
  // The installation read offline (empty for the running system).
  std::filesystem::path InstallationRoot() const { return machine_->InstallationRoot(); }
  // The 7-Zip library the archives are written with; empty: Zip.
  const WString& SevenZipLibrary() const { return sevenZip_; }

 private:
  MessagePort messages_;
  std::unique_ptr<MachineAccess> machine_;
  std::unique_ptr<ScopedPlatform> installed_;
  memview::MemoryView view_;
  std::unique_ptr<TfrmMainForm> form_;
  WString sevenZip_;
};

}  // namespace cli
