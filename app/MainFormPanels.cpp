// TfrmMainForm: the information panels of the selected device, the properties
// dialog, the panel toggle and the grids' fitting and drawing.
#include <algorithm>

#include "app/MainFormUnit.h"
#include "app/TextFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/ProgramStarter.h"
#include "platform/System.h"

void TfrmMainForm::ResetGrid(view::IStringGrid& grid) {
  grid.SetRowCount(2);
  for (int col = 0; col < grid.ColCount(); ++col) grid.SetCell(col, 1, WString());
}

void TfrmMainForm::ShowDevice(TDevice& device) {
  view::IStringGrid& grid = FView.sgDeviceInfo();
  ResetGrid(grid);
  ResetGrid(FView.sgFiles());

  const std::pair<const char16_t*, WString> rows[] = {
      {u"Class", device.ClassName},
      {u"Class Guid", text::GuidToString(device.ClassGuid)},
      {u"Description", device.Description},
      {u"Hardware Id", device.HWID},
      {u"Instance Id", device.InstanceId},
      {u"Compatible Id", device.CompatibleID},
      {u"Driver Key", device.DriverKey},
      {u"Manufacturer", device.Manuf},
      {u"Friendly Name", device.FriendlyName},
      {u"Capabilities", text::FromUInt(device.Capabilities)},
      {u"Config Flags", text::FromUInt(device.ConfigFlags)},
      {u"Driver Date", device.DriverDate},
      {u"Driver Date Data", FileTimeToDateText(device.DriverDateData)},
      {u"Driver Description", device.DriverDescription},
      {u"Driver Version", device.DriverVersion},
      {u"Inf Path", device.InfPath},
      {u"Inf Section", device.InfSection},
      {u"Matching Device ID", device.MatchingDeviceId},
      {u"Provider Name", device.ProviderName},
      {u"Service", device.Service},
      {u"Orig Inf Name", device.OriginalInfName},
      {u"Orig Catalog Name", device.OriginalCatName},
      {u"Location", device.DriverStore},
      {u"Driver Pack", device.FoundInDriverPack},
  };
  grid.SetRowCount(int(std::size(rows)) + 1);
  for (int i = 0; i < int(std::size(rows)); ++i) {
    grid.SetCell(0, i + 1, rows[i].first);
    grid.SetCell(1, i + 1, rows[i].second);
  }

  ShowDriverFiles(device);

  // A missing INF leaves the tab showing what it showed before.
  if (paths::FileExists(device.DriverStore)) FView.reInfFile().SetText(LoadTextFile(device.DriverStore));
}

void TfrmMainForm::ShowDriverFiles(TDevice& device) {
  device.Files = GetFilesList(paths::ExtractFilePath(device.DriverStore), true);
  view::IStringGrid& grid = FView.sgFiles();
  grid.SetRowCount(int(device.Files.size()) + 1);  // the header stays also when alone
  for (size_t i = 0; i < device.Files.size(); ++i) {
    const WString& entry = device.Files[i];
    WString folder = paths::ExtractFilePath(entry);
    const auto first = std::find_if_not(folder.begin(), folder.end(), paths::IsPathDelimiter);
    folder.erase(folder.begin(), first);
    while (!folder.empty() && paths::IsPathDelimiter(folder.back())) folder.pop_back();
    grid.SetCell(0, int(i) + 1, paths::ExtractFileName(entry));
    grid.SetCell(1, int(i) + 1, folder);
  }
}

WString TfrmMainForm::FileTimeToDateText(const winapi::FileTime& t) {
  ports::ISystem& system = *Os().system;
  winapi::FileTime local;
  winapi::SystemTime st;
  if (!system.FileTimeToLocalFileTime(t, &local) || !system.FileTimeToSystemTime(local, &st)) return u"Unknown.";
  // Calendar fields a date-time value cannot hold (years beyond 9999) are unknown too.
  const bool validDate = st.wYear >= 1 && st.wYear <= 9999 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
                         st.wDay <= 31;
  if (!validDate) return u"Unknown.";
  return system.FormatShortDate(st);
}

void TfrmMainForm::tvDevicesDblClick() {
  const view::NodeId selected = FView.tvDevices().Selected();
  if (ShowsDevice(selected)) ShowDeviceProperties(*FView.tvDevices().Device(selected));
}

void TfrmMainForm::ShowDeviceProperties(const TDevice& device) {
  // The dialog runs in its own process; its start is not checked.
  Os().programs->ShellExecute(u"open", u"rundll32.exe",
                           u"devmgr.dll,DeviceProperties_RunDLL /DeviceID \"" + device.InstanceId + u"\"", WString(),
                           ports::kSwShowNormal);
}

void TfrmMainForm::Splitter2Moved() {
  for (view::IStringGrid* grid : {&FView.sgDeviceInfo(), &FView.sgFiles()})
    grid->SetColWidth(1, grid->Width() - grid->ColWidth(0));
}

void TfrmMainForm::btnInfoPanelClick() {
  view::IPanelLayout& panels = FView.Panels();
  view::IInfoPanelButton& button = FView.btnInfoPanel();
  const int allForProperties = panels.Panel5Height() - panels.pnlExpandHeight() - panels.Splitter3Height();
  if (button.Tag() == 0) {
    panels.SetPropertiesHeight(std::max(allForProperties, 0));
    button.SetCaption(u"\u25B2");
    button.SetHint(u"Expand the information panel");
    button.SetTag(1);
  } else {
    // A window too low for 300 pixels of tabs gives the properties nothing, not a negative height.
    panels.SetPropertiesHeight(std::max(allForProperties - ScaleToMonitor(300), 0));
    button.SetCaption(u"\u25BC");
    button.SetHint(u"Shrink the information panel");
    button.SetTag(0);
  }
}

drawing::GridCellPaint TfrmMainForm::sgDeviceInfoDrawCell(int, int row, const view::Rect& cell) const {
  return drawing::DecideGridCell(drawing::GridKind::DeviceInfo, row, cell, FView.MonitorDpi());
}

drawing::GridCellPaint TfrmMainForm::sgFilesDrawCell(int, int row, const view::Rect& cell) const {
  return drawing::DecideGridCell(drawing::GridKind::Files, row, cell, FView.MonitorDpi());
}
