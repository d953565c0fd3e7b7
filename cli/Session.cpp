#include "cli/Session.h"

#include <algorithm>

#include "backup/DeviceList.h"
#include "backup/StartupSteps.h"

namespace cli {

Session::Session(const Options& options, std::ostream& err) : messages_(err) {
  machine_ = OpenMachine(options, messages_);
  installed_ = std::make_unique<ScopedPlatform>(machine_->Ports());
  RunStartupSteps();
  if (!options.zip) sevenZip_ = machine_->SevenZipLibrary();
  backup::TCountedImages icons;
  // A value of the wrong type costs its device, never the run.
  devices_ = backup::ScanListedDevices(options.includeMicrosoft, icons, {}, WrongTypedValues::SpoilTheDevice);
  if (devices_.empty()) messages_.ShowMessage(ports::MessageKind::Warning, u"No installed drivers were found!?!?");
}

Session::~Session() = default;

std::vector<const TDevice*> Session::Listed() const {
  std::vector<const TDevice*> devices;
  for (size_t i : backup::NumberedDevices(devices_)) devices.push_back(&devices_[i]);
  return devices;
}

TDeviceList Session::AllDevices() { return backup::ScanAllDevices(WrongTypedValues::SpoilTheDevice); }

const TDevice& Session::Find(const std::string& wanted) const {
  const std::vector<const TDevice*> listed = Listed();
  if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const size_t number = wanted.size() > 9 ? 0 : std::stoul(wanted);
    if (number >= 1 && number <= listed.size()) return *listed[number - 1];
    throw UsageError("no device number " + wanted + ": `list` numbers the devices 1 to " +
                     std::to_string(listed.size()));
  }
  for (const TDevice* device : listed)
    if (text::EqualsIgnoreCase(device->InstanceId, text::FromUtf8(wanted))) return *device;
  throw UsageError("no listed device has the instance id \"" + wanted +
                   "\" (`list` shows them; `--include-microsoft` adds Microsoft's drivers)");
}

}  // namespace cli
