// show: what the window's panels show of one device: its properties, its files
// and its INF text.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "backup/DevicePanels.h"
#include "backup/DriverCheck.h"
#include "backup/TextFile.h"
#include "cli/Commands.h"
#include "cli/Table.h"
#include "platform/Paths.h"

namespace cli {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

}  // namespace

int RunShow(Session& session, const Options& options, std::ostream& out) {
  const TDevice& device = session.Find(options.devices.front());
  std::vector<std::pair<std::string, std::string>> properties, files;
  for (const auto& [name, value] : backup::DevicePropertyRows(device)) properties.emplace_back(U8(name), U8(value));
  for (const WString& entry : backup::DriverFiles(device)) {
    const backup::TFileRow row = backup::FileRow(entry);
    files.emplace_back(U8(row.file), U8(row.subDirectory));
  }
  // As the INF tab: nothing shown when the INF is missing.
  const std::string inf =
      paths::FileExists(device.DriverStore) ? PlainLines(LoadTextFile(device.DriverStore)) : std::string();

  if (options.json) {
    nlohmann::ordered_json props = nlohmann::ordered_json::object(), list = nlohmann::ordered_json::array();
    for (const auto& [name, value] : properties) props[name] = value;
    for (const auto& [file, folder] : files) list.push_back({{"file", file}, {"subDirectory", folder}});
    out << nlohmann::ordered_json{{"properties", props}, {"files", list}, {"inf", inf}}.dump(2) << '\n';
    return 0;
  }
  size_t width = 0;
  for (const auto& p : properties) width = std::max(width, DisplayLength(p.first));
  for (const auto& [name, value] : properties)
    out << name << std::string(width - DisplayLength(name), ' ') << " : " << value << '\n';
  out << "\nFiles (" << files.size() << "):\n";
  for (const auto& [file, folder] : files) out << "  " << (folder.empty() ? file : folder + "\\" + file) << '\n';
  out << "\nINF file:\n" << inf;
  if (!inf.empty() && inf.back() != '\n') out << '\n';
  return 0;
}

}  // namespace cli
