#include "restore/RestoreText.h"

#include "backup/DeviceList.h"

namespace restore {

namespace {

WString Count(size_t n, const char* one, const char* many) {
  return text::FromUInt(n) + u" " + text::W(n == 1 ? one : many);
}

}  // namespace

WStringList ChoiceLines(const backup::BackupContents& backup, const std::vector<RestoreItem>& items) {
  WStringList lines;
  for (const RestoreItem& item : items) {
    const backup::BackupPackage& package = backup.packages.at(item.package);
    const WString what = package.archive + u" (" + package.infName + u", " + package.version.version.ToString();
    if (item.devices.empty()) lines.push_back(what + u"): into the driver store, for devices not plugged in yet");
    for (const backup::PlannedDevice* planned : item.devices)
      lines.push_back(backup::ShownName(*planned->device) + u" (" + planned->device->InstanceId + u"): " + what +
                      u", matched " + planned->matchedId + u")");
  }
  return lines;
}

WString ConfirmationText(const std::vector<RestoreItem>& items) {
  return u"Install " + Count(items.size(), "driver package", "driver packages") + u" on " +
         Count(ChosenDevices(items), "device", "devices") + u"?";
}

WString ResultText(const RestoreOutcome& outcome, size_t packages) {
  WString s = u"Installed " + text::FromUInt(outcome.installed) + u" of " +
              Count(packages, "driver package.", "driver packages.");
  if (!outcome.failures.empty()) {
    (s += u"\n") += text::FromUInt(outcome.failures.size()) + u" failed:";
    for (const WString& failure : outcome.failures) (s += u"\n  ") += failure;
  }
  if (outcome.interrupted) s += u"\nInterrupted: the packages after the one under way were not installed.";
  if (outcome.restartNeeded) s += u"\nWindows must restart to finish installing the drivers.";
  return s;
}

}  // namespace restore
