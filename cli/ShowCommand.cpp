// show: what the window's panels show of one device: its properties, its files
// and its INF text. What could not be read (a value of the wrong type, a path the
// installation refused, a store folder that cannot be listed) is named after them.
#include <algorithm>
#include <iomanip>

#include <nlohmann/json.hpp>

#include "backup/DevicePanels.h"
#include "backup/DriverCheck.h"
#include "backup/TextFile.h"
#include "cli/Commands.h"
#include "cli/Table.h"
#include "platform/Errors.h"
#include "platform/Paths.h"

namespace cli {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

}  // namespace

int RunShow(Session& session, const Options& options, std::ostream& out) {
  const TDevice& device = session.Find(options.devices.front());
  std::vector<WString> problems;
  if (!device.ReadProblem.empty()) problems.push_back(device.ReadProblem);
  std::vector<std::pair<WString, WString>> properties = backup::DevicePropertyRows(device);
  std::vector<backup::TFileRow> files;
  try {
    for (const WString& entry : backup::DriverFiles(device)) files.push_back(backup::FileRow(entry));
  } catch (const std::exception& e) {
    problems.push_back(ExceptionMessage(e));
  }
  // As the INF tab: nothing shown when the INF is missing.
  WString inf;
  try {
    if (paths::FileExists(device.DriverStore)) inf = LoadTextFile(device.DriverStore);
  } catch (const std::exception& e) {
    problems.push_back(ExceptionMessage(e));
  }

  if (options.json) {
    nlohmann::ordered_json props = nlohmann::ordered_json::object(), list = nlohmann::ordered_json::array(),
                           unread = nlohmann::ordered_json::array();
    for (const auto& [name, value] : properties) props[U8(name)] = U8(value);
    for (const backup::TFileRow& f : files)
      list.push_back({{"file", U8(f.file)}, {"subDirectory", U8(f.subDirectory)}});
    for (const WString& p : problems) unread.push_back(U8(p));
    // The INF's text moved in and the JSON written out as it is serialised: a
    // huge INF's head is held once, not copied into a dump of its own.
    nlohmann::ordered_json result = {{"properties", props}, {"files", list}};
    result["inf"] = PlainLines(inf);
    inf = WString();
    result["unread"] = std::move(unread);
    out << std::setw(2) << result << '\n';
    return problems.empty() ? 0 : 1;
  }
  size_t width = 0;
  for (const auto& p : properties) width = std::max(width, DisplayLength(U8(p.first)));
  for (const auto& [name, value] : properties)
    out << U8(name) << std::string(width - DisplayLength(U8(name)), ' ') << " : " << Shown(value) << '\n';
  out << "\nFiles (" << files.size() << "):\n";
  for (const backup::TFileRow& f : files)
    out << "  " << Shown(f.subDirectory.empty() ? f.file : f.subDirectory + u"\\" + f.file) << '\n';
  out << "\nINF file:\n";
  WritePlainLines(out, inf);
  if (!inf.empty() && inf.back() != u'\n' && inf.back() != u'\r') out << '\n';
  if (!problems.empty()) out << "\nCould not be read:\n";
  for (const WString& p : problems) out << "  " << Shown(p) << '\n';
  return problems.empty() ? 0 : 1;
}

}  // namespace cli
