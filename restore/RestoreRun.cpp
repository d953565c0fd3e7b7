#include "restore/RestoreRun.h"

#include "backup/DeviceList.h"
#include "platform/Errors.h"
#include "platform/SetupApi.h"
#include "restore/DriverInstall.h"
#include "restore/Elevation.h"
#include "restore/ExtractedPackage.h"

namespace restore {

namespace {

WString DriverText(const WString& provider, const WString& version, const WString& inf) {
  WString s = provider;
  if (!version.empty()) s += (s.empty() ? u"" : u" ") + version;
  if (!inf.empty()) s += (s.empty() ? u"(" : u" (") + inf + u")";
  return s;
}

WString DeviceText(const TDevice& device) { return backup::ShownName(device) + u" (" + device.InstanceId + u")"; }

// One package put back: extracted, checked, published, installed on its devices.
class PackageRestore {
 public:
  PackageRestore(const backup::BackupContents& backup, const RestoreItem& item, DriverInstallation& installation,
                 RestoreOutcome& outcome)
      : package_(backup.packages.at(item.package)), item_(item), installation_(installation), outcome_(outcome) {}

  void Run(const backup::BackupContents& backup, const RestoreSettings& settings) {
    WString problem;
    try {
      ExtractedPackage extracted(backup.folder, package_, settings.tempFolder, settings.sevenZipLibrary);
      problem = extracted.Problem();
      if (problem.empty()) Install(extracted.Inf());
      if (WString left = extracted.RemoveWorkFolder(); !left.empty()) outcome_.notes.push_back(left);
      if (problem.empty()) return;
    } catch (const std::exception& e) {
      problem = ExceptionMessage(e);
    }
    Fail(u"not installed: " + problem, problem);
  }

 private:
  void Install(const WString& inf) {
    const PublishResult published = installation_.Publish(inf);
    if (!published.ok()) return Fail(u"failed: " + published.message, published.message);
    if (item_.devices.empty()) {
      Row(nullptr, u"staged in the driver store as " + published.publishedInf);
      ++outcome_.installed;
      return;
    }
    WString firstFailure;
    for (const backup::PlannedDevice* planned : item_.devices) {
      const InstallResult result = installation_.InstallOnDevices(planned->matchedId, inf);
      WString verdict = result.restartNeeded ? u"restart needed" : u"installed";
      if (result.error == winapi::kErrorNoMoreItems) verdict = u"not a better driver";
      else if (!result.ok()) verdict = u"failed: " + result.message;
      if (!result.ok() && result.error != winapi::kErrorNoMoreItems && firstFailure.empty())
        firstFailure = DeviceText(*planned->device) + u": " + result.message;
      Row(planned->device, verdict);
    }
    if (firstFailure.empty()) ++outcome_.installed;
    else outcome_.failures.push_back(package_.archive + u": " + firstFailure);
  }

  // Every device of the package gets the verdict; the package is named with why.
  void Fail(const WString& verdict, const WString& why) {
    if (item_.devices.empty()) Row(nullptr, verdict);
    for (const backup::PlannedDevice* planned : item_.devices) Row(planned->device, verdict);
    outcome_.failures.push_back(package_.archive + u": " + why);
  }

  void Row(const TDevice* device, const WString& result) {
    outcome_.rows.push_back({device ? DeviceText(*device) : WString(), package_.archive,
                             device ? InstalledDriverText(*device) : WString(), PackageDriverText(package_), result});
  }

  const backup::BackupPackage& package_;
  const RestoreItem& item_;
  DriverInstallation& installation_;
  RestoreOutcome& outcome_;
};

}  // namespace

void RequireElevation() {
  if (!ProcessIsElevated())
    throw NotElevatedError(WString(u"Restoring drivers needs an administrator: Windows installs drivers only for a "
                                   u"program run elevated. Nothing was installed."));
}

WString InstalledDriverText(const TDevice& device) {
  if (device.DriverKey.empty() && device.InfPath.empty()) return WString();
  return DriverText(device.ProviderName, device.DriverVersion, device.InfPath);
}

WString PackageDriverText(const backup::BackupPackage& package) {
  return DriverText(package.version.provider, package.version.version.ToString(), package.infName);
}

RestoreOutcome RunRestore(const backup::BackupContents& backup, const std::vector<RestoreItem>& items,
                          const RestoreSettings& settings, const RestoreProgress& progress) {
  RequireElevation();
  RestoreOutcome outcome;
  DriverInstallation installation;
  for (size_t i = 0; i < items.size(); ++i) {
    const backup::BackupPackage& package = backup.packages.at(items[i].package);
    if (settings.cancel && settings.cancel->load()) {
      outcome.interrupted = true;
      for (const backup::PlannedDevice* planned : items[i].devices)
        outcome.rows.push_back({DeviceText(*planned->device), package.archive, InstalledDriverText(*planned->device),
                                PackageDriverText(package), u"interrupted: not started"});
      if (items[i].devices.empty())
        outcome.rows.push_back({WString(), package.archive, WString(), PackageDriverText(package),
                                u"interrupted: not started"});
      continue;
    }
    if (progress) progress(i, items.size(), package.archive);
    PackageRestore(backup, items[i], installation, outcome).Run(backup, settings);
  }
  if (progress) progress(items.size(), items.size(), WString());
  outcome.restartNeeded = installation.RestartNeeded();
  return outcome;
}

}  // namespace restore
