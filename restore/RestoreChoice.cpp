#include "restore/RestoreRun.h"

#include <algorithm>

#include "platform/SafeText.h"

namespace restore {

std::vector<RestoreItem> ChooseRestore(const backup::BackupContents& backup, const backup::RestorePlan& plan,
                                       const WStringList& only, bool allPackages) {
  for (const WString& id : only) {
    const bool planned = std::any_of(plan.devices.begin(), plan.devices.end(), [&](const backup::PlannedDevice& p) {
      return p.device && text::EqualsIgnoreCase(p.device->InstanceId, id);
    });
    if (!planned) throw QuillonError(u"No present device has the instance id \"" + text::Visible(id) + u"\"");
  }
  auto wanted = [&](const TDevice& device) {
    return only.empty() || std::any_of(only.begin(), only.end(),
                                       [&](const WString& id) { return text::EqualsIgnoreCase(device.InstanceId, id); });
  };

  std::vector<RestoreItem> items(backup.packages.size());
  for (size_t i = 0; i < items.size(); ++i) items[i].package = i;
  for (const backup::PlannedDevice& planned : plan.devices)
    if (planned.choice == backup::PlanChoice::WouldInstall && planned.package && planned.device &&
        *planned.package < items.size() && wanted(*planned.device))
      items[*planned.package].devices.push_back(&planned);

  std::vector<RestoreItem> chosen;
  for (RestoreItem& item : items)
    if (!item.devices.empty() || allPackages) chosen.push_back(std::move(item));
  return chosen;
}

size_t ChosenDevices(const std::vector<RestoreItem>& items) {
  size_t n = 0;
  for (const RestoreItem& item : items) n += item.devices.size();
  return n;
}

}  // namespace restore
