// An installed INF the driver database does not list (it happens on real
// installations): its package is the store folder holding the same INF.
#include "ScanHarness.h"

namespace devices_test {
namespace {

const std::string kDriverKey = std::string(kSystemGuid) + "\\0000";
const std::string kStore = "C/Windows/System32/DriverStore/FileRepository/";

TEST(DriverStoreByContent, TheStoreFolderWithTheSameInfIsThePackage) {
  TestMachine machine;
  machine.Class(kSystemGuid, "System devices");
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid, {"\"Driver\"=" + RegString(kDriverKey)});
  machine.Key("SYSTEM\\CurrentControlSet\\Control\\Class\\" + kDriverKey, {"\"InfPath\"=\"oem4.inf\""});
  const std::string inf = "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\nCatalogFile=all.cat\r\n"
                          "CatalogFile.NT=nt.cat\r\n";
  std::string decoy = inf;
  decoy[decoy.size() - 3] = 'x';  // same size, other content
  machine.File("C/Windows/INF/oem4.inf", inf);
  machine.File(kStore + "decoy.inf_amd64_1111111111111111/decoy.inf", decoy);
  machine.File(kStore + "real.inf_amd64_2222222222222222/real.inf", inf);
  machine.File(kStore + "other.inf_amd64_3333333333333333/other.inf", inf + "; longer\r\n");
  machine.Install();
  RecordedImageList images;
  const TDeviceList list = ScanDevices({}, nullptr, images, {});
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].DriverStore,
            text::FromPath(machine.Folder() / (kStore + "real.inf_amd64_2222222222222222/real.inf")));
  EXPECT_EQ(list[0].OriginalInfName, u"real.inf");
  EXPECT_EQ(list[0].OriginalCatName, u"nt.cat");  // the most specific decoration an x64 Windows takes
  EXPECT_TRUE(machine.dialogs.shown.empty());
}

}  // namespace
}  // namespace devices_test
