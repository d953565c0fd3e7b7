#include "platform/Paths.h"
#include "tests/unit/app/AppTestMachine.h"

using apptest::MakeDevice;

namespace {

class DevicePanels : public apptest::AppTest {
 protected:
  void SetUp() override {
    Write("machine.ini", "[machine]\nShortDateFormat=yyyy-MM-dd\nUtcOffsetMinutes=0\n");
    Start();
    form->FormCreate();
  }
  // A device whose driver-store folder holds `files` (relative paths).
  TDevice DeviceWithPackage(const std::vector<std::string>& files, const std::string& inf = "pkg.inf") {
    TDevice d = MakeDevice("Widget", "Ports");
    for (const auto& f : files) Write("C/store/pkg/" + f, "[Version]\r\nClass=Ports\r\n");
    d.DriverStore = text::FromPath(Root() / "C" / "store" / "pkg" / inf);
    return d;
  }
  std::vector<std::string> Column(const memview::MemoryGrid& grid, int col) {
    std::vector<std::string> cells;
    for (int row = 0; row < grid.RowCount(); ++row) cells.push_back(text::ToUtf8(grid.Cell(col, row)));
    return cells;
  }
};

TEST_F(DevicePanels, PropertyGridHasTheHeaderAndTwentyFourRows) {
  TDevice d = DeviceWithPackage({"pkg.inf"});
  d.ClassName = u"Ports";
  d.ClassGuid = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
  d.Capabilities = 0x84;
  d.ConfigFlags = 4294967295u;
  d.FoundInDriverPack = u"pack 7";
  form->ShowDevice(d);

  const std::vector<std::string> labels = {
      "Property Name", "Class", "Class Guid", "Description", "Hardware Id", "Instance Id", "Compatible Id",
      "Driver Key", "Manufacturer", "Friendly Name", "Capabilities", "Config Flags", "Driver Date",
      "Driver Date Data", "Driver Description", "Driver Version", "Inf Path", "Inf Section", "Matching Device ID",
      "Provider Name", "Service", "Orig Inf Name", "Orig Catalog Name", "Location", "Driver Pack"};
  EXPECT_EQ(Column(view.deviceInfo, 0), labels);
  const auto values = Column(view.deviceInfo, 1);
  EXPECT_EQ(values[0], "Property Value");
  EXPECT_EQ(values[1], "Ports");
  EXPECT_EQ(values[2], "{4D36E978-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(values[9], "Widget");
  EXPECT_EQ(values[10], "132");
  EXPECT_EQ(values[11], "4294967295");
  EXPECT_EQ(values[13], "1601-01-01");
  EXPECT_EQ(values[23], text::ToUtf8(d.DriverStore));
  EXPECT_EQ(values[24], "pack 7");
}

TEST_F(DevicePanels, FileRowsSplitNameAndSubfolder) {
  TDevice d = DeviceWithPackage({"pkg.inf", "sub/x.sys", "skip.pnf"});
  form->ShowDevice(d);
  EXPECT_EQ(d.Files.size(), 2u);  // the device record gains its files
  ASSERT_EQ(view.files.RowCount(), 3);
  EXPECT_EQ(view.files.Cell(0, 0), u"File");
  EXPECT_EQ(view.files.Cell(1, 0), u"Sub Directory");
  std::vector<std::pair<WString, WString>> rows;
  for (int r = 1; r < 3; ++r) rows.emplace_back(view.files.Cell(0, r), view.files.Cell(1, r));
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows[0], (std::pair<WString, WString>{u"pkg.inf", u""}));
  EXPECT_EQ(rows[1], (std::pair<WString, WString>{u"x.sys", u"sub"}));
}

TEST_F(DevicePanels, MissingPackageFolderLeavesOnlyTheHeaderAndTheInfTabAsItWas) {
  TDevice shown = DeviceWithPackage({"pkg.inf"});
  form->ShowDevice(shown);
  const WString infText = view.infFile.Text();
  EXPECT_EQ(infText, u"[Version]\r\nClass=Ports\r\n");

  TDevice gone = MakeDevice("Gone", "Ports");
  gone.DriverStore = text::FromPath(Root() / "C" / "nowhere" / "x.inf");
  form->ShowDevice(gone);
  EXPECT_TRUE(gone.Files.empty());
  EXPECT_EQ(view.files.RowCount(), 1);
  EXPECT_EQ(view.files.Cell(0, 0), u"File");
  EXPECT_EQ(view.infFile.Text(), infText);
}

TEST_F(DevicePanels, DatesThatCannotBeConvertedAreUnknown) {
  EXPECT_EQ(TfrmMainForm::FileTimeToDateText(winapi::FileTime::From(0x8000000000000000ull)), u"Unknown.");
  // 2021-06-15 12:00 UTC.
  EXPECT_EQ(TfrmMainForm::FileTimeToDateText(winapi::FileTime::From(132682320000000000ull)), u"2021-06-15");
}

TEST_F(DevicePanels, SelectingAClassNodeKeepsThePanelsOfTheLastDevice) {
  form->ShowDeviceList({DeviceWithPackage({"pkg.inf"})});
  const view::NodeId classNode = view.tree.Children(view.tree.Children(view::kNoNode)[0])[0];
  const view::NodeId device = view.tree.Children(classNode)[0];
  view.tree.Select(device);
  form->tvDevicesChange(device);
  ASSERT_EQ(view.deviceInfo.RowCount(), 25);

  view.tree.Select(classNode);
  form->tvDevicesChange(classNode);
  EXPECT_EQ(view.deviceInfo.RowCount(), 25);
  EXPECT_EQ(view.deviceInfo.Cell(1, 9), u"Widget");
  EXPECT_EQ(view.files.RowCount(), 2);
  EXPECT_FALSE(view.verify.Enabled());
}

TEST_F(DevicePanels, PropertiesStartTheDeviceManagerDialogForTheSelectedDevice) {
  TDevice d = MakeDevice("A", "Ports");
  d.InstanceId = u"USB\\VID_1234&PID_5678\\NW0001";
  form->ShowDeviceList({d});
  form->tvDevicesDblClick();  // nothing selected
  EXPECT_TRUE(started.empty());

  const view::NodeId classNode = view.tree.Children(view.tree.Children(view::kNoNode)[0])[0];
  view.tree.Select(classNode);
  form->tvDevicesDblClick();
  EXPECT_TRUE(started.empty());

  view.tree.Select(view.tree.Children(classNode)[0]);
  form->tvDevicesDblClick();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].first, u"rundll32.exe");
  EXPECT_EQ(started[0].second, u"devmgr.dll,DeviceProperties_RunDLL /DeviceID \"USB\\VID_1234&PID_5678\\NW0001\"");
}

TEST_F(DevicePanels, GridsAreSetUpWithHeadersAndFittedSecondColumns) {
  EXPECT_EQ(view.deviceInfo.RowCount(), 2);
  EXPECT_EQ(view.deviceInfo.fixedRows, 1);
  EXPECT_EQ(view.deviceInfo.Cell(0, 0), u"Property Name");
  EXPECT_EQ(view.deviceInfo.ColWidth(0), 150);
  EXPECT_EQ(view.deviceInfo.ColWidth(1), 400 - 150);
  EXPECT_EQ(view.files.ColWidth(0), 180);
  EXPECT_EQ(view.files.ColWidth(1), 320 - 180);
  EXPECT_EQ(view.files.defaultRowHeight, 19);
  EXPECT_EQ(view.hintHidePause, 5000);

  view.deviceInfo.SetColWidth(0, 100);  // the user drags column 0
  view.deviceInfo.SetWidth(500);
  form->Splitter2Moved();
  EXPECT_EQ(view.deviceInfo.ColWidth(0), 100);
  EXPECT_EQ(view.deviceInfo.ColWidth(1), 400);
}

}  // namespace
