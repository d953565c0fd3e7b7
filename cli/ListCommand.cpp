// list: the devices as the tree holds them, numbered; --all adds those it drops.
#include <nlohmann/json.hpp>

#include "backup/DeviceList.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Table.h"
#include "platform/Paths.h"

namespace cli {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

// The package's folder name in the driver store.
std::string StoreFolder(const TDevice& d) {
  return U8(paths::ExtractFileName(paths::ExcludeTrailingPathDelimiter(paths::ExtractFilePath(d.DriverStore))));
}

std::string ShownName(const TDevice& d) { return U8(backup::ShownName(d)); }

// Why the tree leaves a device out; empty when it lists it.
std::string Dropped(const TDevice& d, bool includeMicrosoft) {
  if (backup::IsListedDevice(d, includeMicrosoft)) return std::string();
  if (d.ClassGuid == winapi::Guid{}) return "no device class";
  return "provided by Microsoft (--include-microsoft lists it)";
}

}  // namespace

std::string PlainLines(const WString& text) {
  std::string s = text::ToUtf8(text), lines;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r') {
      lines += s[i];
      continue;
    }
    lines += '\n';
    if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
  return lines;
}

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

  if (options.json) {
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (const Line& l : lines) {
      const TDevice& d = l.device;
      nlohmann::ordered_json j = {{"number", l.number ? nlohmann::ordered_json(l.number) : nullptr},
                                  {"instanceId", U8(d.InstanceId)},  {"class", U8(d.ClassDescription)},
                                  {"name", ShownName(d)},         {"provider", U8(d.ProviderName)},
                                  {"version", U8(d.DriverVersion)},   {"date", U8(d.DriverDate)},
                                  {"inf", U8(d.InfPath)},             {"originalInf", U8(d.OriginalInfName)},
                                  {"storeFolder", U8(paths::ExtractFilePath(d.DriverStore))},
                                  {"listed", l.number != 0}};
      if (!l.dropped.empty()) j["leftOut"] = l.dropped;
      devices.push_back(std::move(j));
    }
    out << nlohmann::ordered_json{{"devices", devices}}.dump(2) << '\n';
    return 0;
  }

  TableRow header = {"#", "Class", "Name", "Provider", "Version", "Date", "INF", "Store folder"};
  if (options.all) header.push_back("Left out");
  std::vector<TableRow> rows;
  for (const Line& l : lines) {
    const TDevice& d = l.device;
    TableRow row = {l.number ? std::to_string(l.number) : "-", U8(d.ClassDescription), ShownName(d),
                    U8(d.ProviderName), U8(d.DriverVersion), U8(d.DriverDate), U8(d.InfPath), StoreFolder(d)};
    if (options.all) row.push_back(l.dropped);
    rows.push_back(std::move(row));
  }
  PrintTable(out, header, rows, TerminalColumns());
  return 0;
}

}  // namespace cli
