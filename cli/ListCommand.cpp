// list: the devices as the tree holds them, numbered; --all adds those it drops.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "backup/DeviceList.h"
#include "backup/DriverExport.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Table.h"
#include "platform/Paths.h"

namespace cli {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

// The package's folder name in the driver store.
std::string StoreFolder(const TDevice& d) {
  return Shown(backup::StoreFolderName(d));
}

std::string ShownName(const TDevice& d) { return Shown(backup::ShownName(d)); }

// JSON null for an empty text.
nlohmann::ordered_json Nullable(const WString& s) {
  return s.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(U8(s));
}

// Why the tree leaves a device out; empty when it lists it.
std::string Dropped(const TDevice& d, bool includeMicrosoft) {
  if (backup::IsListedDevice(d, includeMicrosoft)) return std::string();
  if (d.ClassGuid == winapi::Guid{}) return "no device class";
  return "provided by Microsoft (--include-microsoft lists it)";
}

}  // namespace

int RunList(Session& session, const Options& options, std::ostream& out) {
  const std::vector<const TDevice*> listed = session.Listed();
  struct Line {
    int number;  // 0: not listed
    TDevice device;
    std::string dropped;
  };
  std::vector<Line> lines;
  for (size_t i = 0; i < listed.size(); ++i) lines.push_back({int(i) + 1, *listed[i], {}});
  if (options.all)
    for (TDevice& d : session.AllDevices()) {
      std::string why = Dropped(d, options.includeMicrosoft);
      if (!why.empty()) lines.push_back({0, std::move(d), std::move(why)});
    }

  const size_t unreadable = size_t(
      std::count_if(lines.begin(), lines.end(), [](const Line& l) { return !l.device.ReadProblem.empty(); }));

  if (options.json) {
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (const Line& l : lines) {
      const TDevice& d = l.device;
      nlohmann::ordered_json j = {{"number", l.number ? nlohmann::ordered_json(l.number) : nullptr},
                                  {"instanceId", U8(d.InstanceId)},  {"class", U8(d.ClassDescription)},
                                  {"name", U8(backup::ShownName(d))}, {"provider", U8(d.ProviderName)},
                                  {"version", U8(d.DriverVersion)},   {"date", U8(d.DriverDate)},
                                  {"inf", U8(d.InfPath)},             {"originalInf", U8(d.OriginalInfName)},
                                  {"storeFolder", U8(paths::ExtractFilePath(d.DriverStore))},
                                  {"listed", l.number != 0},
                                  {"readProblem", Nullable(d.ReadProblem)}};
      if (!l.dropped.empty()) j["leftOut"] = l.dropped;
      devices.push_back(std::move(j));
    }
    out << nlohmann::ordered_json{{"devices", devices}}.dump(2) << '\n';
    return unreadable ? 1 : 0;
  }

  TableRow header = {"#", "Class", "Name", "Provider", "Version", "Date", "INF", "Store folder"};
  if (options.all) header.push_back("Left out");
  std::vector<TableRow> rows;
  for (const Line& l : lines) {
    const TDevice& d = l.device;
    TableRow row = {l.number ? std::to_string(l.number) : "-", Shown(d.ClassDescription), ShownName(d),
                    Shown(d.ProviderName), Shown(d.DriverVersion), Shown(d.DriverDate), Shown(d.InfPath),
                    StoreFolder(d)};
    if (options.all) row.push_back(l.dropped);
    rows.push_back(std::move(row));
  }
  PrintTable(out, header, rows, TerminalColumns());
  // Below the table, where no column cuts it: what could not be read, and why.
  if (unreadable)
    out << '\n' << unreadable << (unreadable == 1 ? " device" : " devices") << " could not be read whole:\n";
  for (const Line& l : lines)
    if (!l.device.ReadProblem.empty())
      out << "  " << (l.number ? std::to_string(l.number) : "-") << ' ' << ShownName(l.device) << " ("
          << Shown(l.device.InstanceId) << "): " << Shown(l.device.ReadProblem) << '\n';
  return unreadable ? 1 : 0;
}

}  // namespace cli
