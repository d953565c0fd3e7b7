// TfrmMainForm: the information panels of the selected device, the properties
// dialog, the panel toggle and the grids' fitting and drawing.
#include <algorithm>

#include "app/MainFormUnit.h"
#include "backup/DevicePanels.h"
#include "backup/DriverCheck.h"
#include "backup/TextFile.h"
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

  const std::vector<std::pair<WString, WString>> rows = backup::DevicePropertyRows(device);
  grid.SetRowCount(int(rows.size()) + 1);
  for (int i = 0; i < int(rows.size()); ++i) {
    grid.SetCell(0, i + 1, rows[size_t(i)].first);
    grid.SetCell(1, i + 1, rows[size_t(i)].second);
  }

  ShowDriverFiles(device);

  // A missing INF leaves the tab showing what it showed before.
  if (paths::FileExists(device.DriverStore)) FView.reInfFile().SetText(LoadTextFile(device.DriverStore));
}

void TfrmMainForm::ShowDriverFiles(TDevice& device) {
  device.Files = backup::DriverFiles(device);
  view::IStringGrid& grid = FView.sgFiles();
  grid.SetRowCount(int(device.Files.size()) + 1);  // the header stays also when alone
  for (size_t i = 0; i < device.Files.size(); ++i) {
    const backup::TFileRow row = backup::FileRow(device.Files[i]);
    grid.SetCell(0, int(i) + 1, row.file);
    grid.SetCell(1, int(i) + 1, row.subDirectory);
  }
}

WString TfrmMainForm::FileTimeToDateText(const winapi::FileTime& t) { return backup::FileTimeToDateText(t); }

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
