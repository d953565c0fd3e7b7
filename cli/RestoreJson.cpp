#include "cli/RestoreJson.h"

#include "backup/DeviceList.h"

namespace cli {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

nlohmann::ordered_json Nullable(const WString& s) {
  return s.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(U8(s));
}

nlohmann::ordered_json Head(const backup::BackupContents& backup, bool dryRun) {
  return {{"backup", U8(text::FromPath(backup.folder))}, {"dryRun", dryRun},
          {"packages", nlohmann::ordered_json::array()}};
}

}  // namespace

nlohmann::ordered_json RestoreChoiceJson(const backup::BackupContents& backup,
                                         const std::vector<restore::RestoreItem>& items) {
  nlohmann::ordered_json j = Head(backup, true);
  for (const restore::RestoreItem& item : items) {
    const backup::BackupPackage& package = backup.packages.at(item.package);
    const auto add = [&](const backup::PlannedDevice* planned) {
      j["packages"].push_back(
          {{"device", planned ? nlohmann::ordered_json(U8(backup::ShownName(*planned->device) + u" (" +
                                                          planned->device->InstanceId + u")"))
                              : nlohmann::ordered_json()},
           {"package", U8(package.archive)},
           {"inf", U8(package.infName)},
           {"oldDriver", planned ? Nullable(restore::InstalledDriverText(*planned->device)) : nlohmann::ordered_json()},
           {"newDriver", U8(restore::PackageDriverText(package))},
           {"matched", planned ? nlohmann::ordered_json(U8(planned->matchedId)) : nlohmann::ordered_json()}});
    };
    if (item.devices.empty()) add(nullptr);
    for (const backup::PlannedDevice* planned : item.devices) add(planned);
  }
  return j;
}

nlohmann::ordered_json RestoreOutcomeJson(const backup::BackupContents& backup, const restore::RestoreOutcome& outcome,
                                          size_t packages, const std::filesystem::path& record) {
  nlohmann::ordered_json j = Head(backup, false);
  for (const restore::RestoreRow& row : outcome.rows)
    j["packages"].push_back({{"device", Nullable(row.device)},
                             {"package", U8(row.package)},
                             {"oldDriver", Nullable(row.oldDriver)},
                             {"newDriver", U8(row.newDriver)},
                             {"result", U8(row.result)},
                             {"restartNeeded", row.result == u"restart needed"}});
  nlohmann::ordered_json failed = nlohmann::ordered_json::array();
  for (const WString& failure : outcome.failures) failed.push_back(U8(failure));
  j["summary"] = {{"packages", packages},
                  {"installed", outcome.installed},
                  {"failed", failed},
                  {"restartNeeded", outcome.restartNeeded},
                  {"interrupted", outcome.interrupted}};
  j["record"] = U8(text::FromPath(record));
  return j;
}

}  // namespace cli
