// show: what the window's panels show of one device: its properties, its files
// and its INF text.
#include <algorithm>

#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "cli/DeviceWorker.h"
#include "cli/Table.h"

namespace cli {

namespace {

std::string U8(const WString& s) { return text::ToUtf8(s); }

// The data rows (header row left out) of a grid as (first cell, second cell).
std::vector<std::pair<std::string, std::string>> Rows(const view::IStringGrid& grid) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int row = 1; row < grid.RowCount(); ++row)
    if (!grid.Cell(0, row).empty()) rows.emplace_back(U8(grid.Cell(0, row)), U8(grid.Cell(1, row)));
  return rows;
}

}  // namespace

int RunShow(Session& session, const Options& options, std::ostream& out) {
  TDevice device = session.Find(options.devices.front());
  DeviceWorker worker(session.SevenZipLibrary(), WString());
  for (const Message& m : worker.Show(device)) session.Messages().ShowMessage(m.kind, m.text);
  const memview::MemoryView& view = worker.Shown();
  const auto properties = Rows(view.deviceInfo);
  const auto files = Rows(view.files);
  // The INF tab keeps its text when the INF is missing: nothing shown then.
  const std::string inf = PlainLines(view.infFile.Text());

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
