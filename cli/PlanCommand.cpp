// plan BACKUP: for every present device, the package of the backup Windows would
// choose (backup/RestorePlan.h), weighed against the driver it has now; one line
// a device (those without a driver first), a summary, or JSON with --json.
#include <cstdio>

#include <nlohmann/json.hpp>

#include "backup/BackupContents.h"
#include "backup/DeviceIdLists.h"
#include "backup/DeviceList.h"
#include "backup/RestorePlan.h"
#include "backup/TargetWindows.h"
#include "cli/Commands.h"
#include "platform/SafeText.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// A text from the disk, as a terminal may show it.
std::string Shown(const WString& s) { return text::ToUtf8(text::Visible(s)); }
std::string U8(const WString& s) { return text::ToUtf8(s); }

std::string Hex(uint32_t rank) {
  char buffer[11];
  std::snprintf(buffer, sizeof buffer, "0x%08X", rank);
  return buffer;
}

fs::path BackupFolder(const std::string& given) {
  std::error_code ec;
  const fs::path folder = fs::absolute(text::ToPath(text::FromUtf8(given)), ec).lexically_normal();
  if (ec || !fs::is_directory(folder, ec)) throw UsageError("BACKUP \"" + given + "\" is no folder");
  return folder;
}

const char* ChoiceName(backup::PlanChoice choice) {
  switch (choice) {
    case backup::PlanChoice::WouldInstall: return "would install";
    case backup::PlanChoice::HasEqualOrBetter: return "has an equal or better driver";
    case backup::PlanChoice::NoDriverInBackup: return "no driver in the backup";
  }
  return "";
}

// "would install <archive> (<inf>, <version>, matched <id>)", or the other verdicts.
std::string Verdict(const backup::PlannedDevice& planned, const backup::BackupContents& contents) {
  if (planned.choice != backup::PlanChoice::WouldInstall) return ChoiceName(planned.choice);
  const backup::BackupPackage& package = contents.packages[*planned.package];
  return "would install " + Shown(package.archive) + " (" + Shown(package.infName) + ", " +
         U8(package.version.version.ToString()) + ", matched " + Shown(planned.matchedId) + ")";
}

nlohmann::ordered_json Nullable(const WString& s) {
  return s.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(U8(s));
}

nlohmann::ordered_json CurrentJson(const backup::PlannedDevice& planned) {
  if (!planned.current) return nullptr;
  const backup::CurrentDriver& current = *planned.current;
  return {{"rank", current.rank ? nlohmann::ordered_json(Hex(*current.rank)) : nlohmann::ordered_json()},
          {"date", U8(current.date.ToString())},
          {"version", U8(current.version.ToString())},
          {"note", Nullable(current.note)}};
}

nlohmann::ordered_json DeviceJson(const backup::PlannedDevice& planned, const backup::BackupContents& contents) {
  const TDevice& device = *planned.device;
  nlohmann::ordered_json j = {{"instanceId", U8(device.InstanceId)},
                              {"name", U8(backup::ShownName(device))},
                              {"hasDriver", planned.hasDriver},
                              {"choice", ChoiceName(planned.choice)},
                              {"current", CurrentJson(planned)}};
  if (!planned.package) {
    j["best"] = nullptr;
    return j;
  }
  const backup::BackupPackage& package = contents.packages[*planned.package];
  const inf::ModelLine& line = package.models[*planned.modelLine];
  j["best"] = {{"archive", U8(package.archive)},
               {"inf", U8(package.infName)},
               {"version", U8(package.version.version.ToString())},
               {"date", package.version.date ? nlohmann::ordered_json(U8(package.version.date->ToString()))
                                             : nlohmann::ordered_json()},
               {"modelsSection", U8(line.modelsSection)},
               {"installSection", U8(line.installSection)},
               {"matchedId", U8(planned.matchedId)},
               {"rank", Hex(planned.rank)}};
  return j;
}

nlohmann::ordered_json TargetJson(const backup::TargetWindows& target) {
  nlohmann::ordered_json assumed = nlohmann::ordered_json::array();
  for (const WString& a : target.assumed) assumed.push_back(U8(a));
  return {{"architecture", U8(inf::PlatformName(target.os.architecture))},
          {"major", target.os.major},
          {"minor", target.os.minor},
          {"build", target.os.build},
          {"productType", target.os.productType},
          {"assumed", assumed}};
}

}  // namespace

int RunPlan(Session& session, const Options& options, std::ostream& out, std::ostream& err) {
  const backup::BackupContents contents = backup::ReadBackup(BackupFolder(options.backup), session.SevenZipLibrary());
  const backup::TargetWindows target = backup::ReadTargetWindows();
  TDeviceList devices = session.AllDevices();
  backup::ReadWholeIdLists(devices);
  const backup::RestorePlan plan = backup::PlanRestore(contents, devices, target.os);

  if (options.json) {
    nlohmann::ordered_json notes = nlohmann::ordered_json::array(), planned = nlohmann::ordered_json::array();
    for (const WString& note : contents.notes) notes.push_back(U8(note));
    for (const backup::PlannedDevice& device : plan.devices) planned.push_back(DeviceJson(device, contents));
    out << nlohmann::ordered_json{{"backup", U8(text::FromPath(contents.folder))},
                                  {"fromIndex", contents.fromIndex},
                                  {"notes", notes},
                                  {"target", TargetJson(target)},
                                  {"devices", planned},
                                  {"covered", plan.covered},
                                  {"present", plan.devices.size()},
                                  {"withoutDriver", plan.withoutDriver}}
               .dump(2)
        << '\n';
    return 0;
  }

  for (const WString& note : contents.notes) err << "quillon: " << Shown(note) << '\n';
  for (const WString& assumed : target.assumed) err << "quillon: not recorded: " << Shown(assumed) << '\n';
  out << "Plan for " << U8(backup::Describe(target.os)) << '\n';
  for (const backup::PlannedDevice& planned : plan.devices) {
    const TDevice& device = *planned.device;
    out << Shown(backup::ShownName(device)) << " (" << Shown(device.InstanceId) << "): " << Verdict(planned, contents)
        << '\n';
    if (options.verbose && planned.current && !planned.current->note.empty())
      out << "  current driver: " << Shown(planned.current->note) << '\n';
  }
  out << "covers " << plan.covered << " of " << plan.devices.size() << " devices; " << plan.withoutDriver
      << " have no driver\n";
  return 0;
}

}  // namespace cli
