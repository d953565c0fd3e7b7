// The bundled sample machine: what a scan finds there, and that it is repeatable.
#include <algorithm>

#include "ScanHarness.h"
#include "platform/Paths.h"
#include "platform/offline/Machine.h"

namespace devices_test {
namespace {

class SampleMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform = std::make_unique<offline::OfflinePlatform>(offline::Machine::Load(std::string(QUILLON_FIXTURES_DIR) +
                                                                     "/sample-machine"));
    platform->SetDialogs(&dialogs);
    installed = std::make_unique<ScopedPlatform>(platform->Ports());
    BindDriverStoreLocation();
  }
  // Each scan fills a fresh image list, as a window rebuilding its tree does.
  TDeviceList Scan() {
    RecordedImageList images;
    return ScanDevices({}, nullptr, images, {});
  }
  static const TDevice& ById(const TDeviceList& list, const std::u16string& id) {
    auto it = std::find_if(list.begin(), list.end(), [&](const TDevice& d) { return d.InstanceId == id; });
    if (it == list.end()) throw std::runtime_error("no device " + text::ToUtf8(id));
    return *it;
  }
  RecordedDialogs dialogs;
  std::unique_ptr<offline::OfflinePlatform> platform;
  std::unique_ptr<ScopedPlatform> installed;
};

TEST_F(SampleMachineTest, ScanningTwiceGivesTheSameRecords) {
  const TDeviceList first = Scan();
  const TDeviceList second = Scan();
  EXPECT_EQ(first, second);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SampleMachineTest, FindsEveryPresentDeviceSortedByDescription) {
  const TDeviceList list = Scan();
  EXPECT_EQ(list.size(), 13u);  // the unplugged disk is absent
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](const TDevice& a, const TDevice& b) {
    return CompareDeviceDescriptions(a, b) < 0;
  }));
  EXPECT_EQ(platform->Host().Config().Section("absent").size(), 1u);
}

TEST_F(SampleMachineTest, ReadsAThirdPartyDriverCompletely) {
  const TDeviceList list = Scan();
  const TDevice& net = ById(list, u"PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_00\\3&11583659&0&FE");
  EXPECT_EQ(net.ClassName, u"Net");
  EXPECT_EQ(net.ClassDescription, u"Network adapters");
  EXPECT_EQ(net.ProviderName, u"Fabrikam");
  EXPECT_EQ(net.HWID, u"PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_00|PCI\\VEN_8086&DEV_15B8");
  EXPECT_EQ(net.OriginalInfName, u"fabnet.inf");
  EXPECT_EQ(net.OriginalCatName, u"fabnet.cat");  // from CatalogFile.NTamd64
  EXPECT_EQ(paths::ExtractFileName(net.DriverStore), u"fabnet.inf");
  EXPECT_TRUE(paths::FileExists(net.DriverStore));
  WStringList files = GetFilesList(paths::ExtractFilePath(net.DriverStore), true);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (WStringList{u"fabnet.cat", u"fabnet.inf", u"fabnet.sys"}));  // fabnet.pnf left out
}

TEST_F(SampleMachineTest, CoversTheSpecialDevices) {
  const TDeviceList list = Scan();
  EXPECT_EQ(ById(list, u"ROOT\\TAILSPINSENSOR\\0000").HWID, u"");  // does not fit the buffer
  EXPECT_EQ(ById(list, u"ROOT\\LITAUDIO\\0000").OriginalCatName, u"");
  EXPECT_EQ(ById(list, u"ROOT\\LITAUDIO\\0000").DriverStore, ById(list, u"ROOT\\LITAUDIO\\0001").DriverStore);
  EXPECT_EQ(ById(list, u"ROOT\\LEGACY_WIDGET\\0000").ClassGuid, winapi::Guid{});
  EXPECT_EQ(ById(list, u"ROOT\\BASICDISPLAY\\0000").ProviderName, u"microsoft");
  const TDevice& noDriver = ById(list, u"PCI\\VEN_1B21&DEV_1242&SUBSYS_86751043&REV_00\\4&3ad2b7b&0&00E5");
  EXPECT_EQ(noDriver.DriverKey, u"");
  EXPECT_EQ(noDriver.DriverStore, u"");
  EXPECT_EQ(ById(list, u"ROOT\\CONTOSOFILTER\\0000").ClassDescription, u"system devices");
  EXPECT_EQ(ById(list, u"ACPI\\PNP0A08\\0").ClassDescription, u"System devices");
  EXPECT_EQ(ById(list, u"PCI\\VEN_10DE&DEV_1C82&SUBSYS_11BF1462&REV_A1\\4&1a2b3c4d&0&0008").Description,
            u"Contoso GeForce GTX 1050 Ti");
}

}  // namespace
}  // namespace devices_test
