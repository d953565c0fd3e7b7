// One run of the command line: the machine read through its ports and the scan
// the window would make at start.
#pragma once
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/MachineAccess.h"
#include "cli/Messages.h"
#include "devices/Devices.h"

namespace cli {

class Session {
 public:
  // Opens the machine and scans it as the window does (the Microsoft option as
  // given). Scan messages go to `err`.
  Session(const Options& options, std::ostream& err);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The listed devices in the scan's order: the window's export order.
  const TDeviceList& Devices() const { return devices_; }
  // The listed devices as the tree shows them; `list` numbers them from 1.
  std::vector<const TDevice*> Listed() const;
  // Every present device, also those the tree leaves out (scan order).
  TDeviceList AllDevices();
  // A device by its number in Listed() or its instance id (letter case ignored).
  // Raises UsageError when none matches.
  const TDevice& Find(const std::string& device) const;
  // The installation read offline (empty for the running system).
  std::filesystem::path InstallationRoot() const { return machine_->InstallationRoot(); }
  // Lets the ports read `folder`, the program's own (see MachineAccess).
  void AllowReading(const std::filesystem::path& folder) { machine_->AllowReading(folder); }
  // The 7-Zip library the archives are written with; empty: Zip.
  const WString& SevenZipLibrary() const { return sevenZip_; }

 private:
  MessagePort messages_;
  std::unique_ptr<MachineAccess> machine_;
  std::unique_ptr<ScopedPlatform> installed_;
  TDeviceList devices_;
  WString sevenZip_;
};

}  // namespace cli
