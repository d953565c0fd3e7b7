#include "cli/Session.h"

#include <algorithm>

#include "app/ProcessEntry.h"

namespace cli {

Session::Session(const Options& options, std::ostream& err) : messages_(err) {
  machine_ = OpenMachine(options, messages_);
  installed_ = std::make_unique<ScopedPlatform>(machine_->Ports());
  RunStartupSteps();
  if (!options.zip) sevenZip_ = machine_->SevenZipLibrary();
  form_ = std::make_unique<TfrmMainForm>(view_, [this] { return sevenZip_; });
  form_->FormCreate();
  view_.includeMicrosoft.SetChecked(options.includeMicrosoft);
  form_->btnScanClick();
}

Session::~Session() = default;

std::vector<TDevice*> Session::Listed() const {
  std::vector<TDevice*> devices;
  const view::ITreeView& tree = view_.tree;
  for (view::NodeId root : tree.Children(view::kNoNode))
    for (view::NodeId classNode : tree.Children(root))
      for (view::NodeId node : tree.Children(classNode))
        if (TDevice* device = tree.Device(node)) devices.push_back(device);
  return devices;
}

TDeviceList Session::AllDevices() {
  memview::MemoryImageList icons;
  return ScanDevices({}, &TfrmMainForm::CompareFriendlyNames, icons, {});
}

TDevice& Session::Find(const std::string& wanted) const {
  const std::vector<TDevice*> listed = Listed();
  if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    const size_t number = wanted.size() > 9 ? 0 : std::stoul(wanted);
    if (number >= 1 && number <= listed.size()) return *listed[number - 1];
    throw UsageError("no device number " + wanted + ": `list` numbers the devices 1 to " +
                     std::to_string(listed.size()));
  }
  for (TDevice* device : listed)
    if (text::EqualsIgnoreCase(device->InstanceId, text::FromUtf8(wanted))) return *device;
  throw UsageError("no listed device has the instance id \"" + wanted +
                   "\" (`list` shows them; `--include-microsoft` adds Microsoft's drivers)");
}

}  // namespace cli
