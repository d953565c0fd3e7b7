// ScanDevices over small offline machines: properties and their types,
// buffer limits, the driver key, the driver store, order, filter and failures.
#include "ScanHarness.h"

namespace devices_test {
namespace {

const std::string kDriverKey = std::string(kSystemGuid) + "\\0000";
const std::string kPackage = "pkg.inf_amd64_0123456789abcdef";

class ScanDevicesTest : public ::testing::Test {
 protected:
  TDeviceList Scan(const TDeviceFilter& filter = {}, TDeviceCompare compare = nullptr) {
    machine.Install();
    return ScanDevices(filter, compare, machine.images, [this](const WString& d) { told.push_back(d); });
  }
  // One device of the System class with a driver in package kPackage.
  void DeviceWithDriver(const std::string& id, const std::string& description,
                        const std::vector<std::string>& driverValues = {}) {
    machine.Class(kSystemGuid, "System devices");
    machine.Device(id, description, kSystemGuid, {"\"Driver\"=" + RegString(kDriverKey)});
    machine.Driver(kDriverKey, "oem1.inf", kPackage, driverValues);
  }
  TestMachine machine;
  WStringList told;
};

TEST_F(ScanDevicesTest, TakesEachPropertyOnlyWithItsRegistryType) {
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid,
                 {"\"HardwareID\"=\"ROOT\\\\A\"", "\"CompatibleIDs\"=" + RegMulti({"X", "Y"}),
                  "\"Capabilities\"=dword:000000f4", "\"ConfigFlags\"=\"not a dword\"",
                  "\"Service\"=" + RegMulti({"svc"}), "\"Mfg\"=\"@oem1.inf,%mfg%;Real Maker\""});
  const TDeviceList list = Scan();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].HWID, u"");  // stored as REG_SZ
  EXPECT_EQ(list[0].CompatibleID, u"X|Y");
  EXPECT_EQ(list[0].Capabilities, 0xF4u);
  EXPECT_EQ(list[0].ConfigFlags, 0u);
  EXPECT_EQ(list[0].Service, u"");
  EXPECT_EQ(list[0].Manuf, u"Real Maker");
  EXPECT_EQ(list[0].ClassName, u"TestClass");
  EXPECT_EQ(list[0].FriendlyName, u"Device A");  // falls back to the description
  EXPECT_EQ(list[0].InstanceId, u"ROOT\\A\\0000");
}

TEST_F(ScanDevicesTest, HardwareIdListLongerThanTheBufferLeavesHwidEmpty) {
  std::vector<std::string> ids(30, std::string(40, 'H'));  // 30 * 41 units * 2 bytes > 1024
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid, {"\"HardwareID\"=" + RegMulti(ids)});
  EXPECT_EQ(Scan()[0].HWID, u"");
}

TEST_F(ScanDevicesTest, JoinedListIsCutAt511CodeUnits) {
  // 512 units without any terminator fill the buffer exactly; the walk stops at unit 511.
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid,
                 {"\"HardwareID\"=" + RegHex(std::vector<uint8_t>(1024, 'a') , "hex(7)")});
  EXPECT_EQ(Scan()[0].HWID, WString(511, u'\u6161'));
}

TEST_F(ScanDevicesTest, JoinsAListThatFillsTheBuffer) {
  // 500 + 1 + 9 + 1 + 1 units = 1024 bytes.
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid,
                 {"\"HardwareID\"=" + RegMulti({std::string(500, 'a'), std::string(9, 'b')})});
  EXPECT_EQ(Scan()[0].HWID, WString(500, u'a') + u"|" + WString(9, u'b'));
}

TEST_F(ScanDevicesTest, ListWithoutItsTerminatorTakesNothingFromEarlierProperties) {
  // DeviceDesc (read just before) leaves text in the shared buffer beyond the short list.
  machine.Device("ROOT\\A\\0000", std::string(200, 'D'), kSystemGuid,
                 {"\"HardwareID\"=" + RegHex({'A', 0, 0, 0, 'B', 0}, "hex(7)")});
  EXPECT_EQ(Scan()[0].HWID, u"A|B");
}

TEST_F(ScanDevicesTest, ReadsTheDriverKeyPackageNamesAndDriverStore) {
  DeviceWithDriver("ROOT\\A\\0000", "Device A",
                   {"\"ProviderName\"=\"Contoso\"", "\"DriverVersion\"=\"1.2.3.4\"", "\"DriverDate\"=\"6-21-2023\"",
                    "\"DriverDateData\"=" + RegHex({1, 2, 3, 4, 5, 6, 7, 8})});
  const TDeviceList list = Scan();
  ASSERT_EQ(list.size(), 1u);
  const TDevice& d = list[0];
  EXPECT_EQ(d.ClassDescription, u"System devices");
  EXPECT_EQ(d.ProviderName, u"Contoso");
  EXPECT_EQ(d.DriverVersion, u"1.2.3.4");
  EXPECT_EQ(d.DriverDateData.Value(), 0x0807060504030201ull);
  EXPECT_EQ(d.InfPath, u"oem1.inf");
  EXPECT_EQ(d.OriginalInfName, u"pkg.inf");
  EXPECT_EQ(d.OriginalCatName, u"pkg.cat");
  const auto store = machine.Folder() / "C/Windows/System32/DriverStore/FileRepository" / kPackage / "pkg.inf";
  EXPECT_EQ(d.DriverStore, text::FromPath(store));
  EXPECT_GT(d.ClassIconIndex, 0);
  EXPECT_TRUE(machine.dialogs.shown.empty());
}

TEST_F(ScanDevicesTest, DeviceWithoutDriverKeepsItsDriverFieldsEmpty) {
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid);
  const TDevice d = Scan()[0];
  EXPECT_EQ(d.DriverKey, u"");
  EXPECT_EQ(d.InfPath, u"");
  EXPECT_EQ(d.ProviderName, u"");
  EXPECT_EQ(d.OriginalInfName, u"");
  EXPECT_EQ(d.DriverStore, u"");
  EXPECT_EQ(d.ClassIconIndex, 0);  // no class key, no icon
  EXPECT_TRUE(machine.dialogs.shown.empty());
}

TEST_F(ScanDevicesTest, InfInformationLongerThan1036BytesLeavesOriginalNamesEmpty) {
  machine.Class(kSystemGuid, "System devices");
  // 8 header bytes + a 515-character path with its NUL + the [Version] lines > 1036 bytes.
  const std::string deep = "C:\\Windows\\INF\\" + std::string(240, 'd') + "\\" + std::string(250, 'e') + "\\long.inf";
  machine.File("C/Windows/INF/" + std::string(240, 'd') + "/" + std::string(250, 'e') + "/long.inf",
               "[Version]\r\nCatalogFile=long.cat\r\n" + std::string(100, ';') + "\r\nClass=System\r\n");
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid, {"\"Driver\"=" + RegString(kDriverKey)});
  machine.Key("SYSTEM\\CurrentControlSet\\Control\\Class\\" + kDriverKey, {"\"InfPath\"=" + RegString(deep)});
  const TDevice d = Scan()[0];
  EXPECT_EQ(d.InfPath, text::FromUtf8(deep));
  EXPECT_EQ(d.OriginalInfName, u"");
  EXPECT_EQ(d.OriginalCatName, u"");
}

TEST_F(ScanDevicesTest, DriverStorePathOf260CharactersOrMoreWarnsOnceAndStaysEmpty) {
  machine.Class(kSystemGuid, "System devices");
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid, {"\"Driver\"=" + RegString(kDriverKey)});
  machine.Driver(kDriverKey, "oem1.inf", "pkg.inf_amd64_" + std::string(200, '0'));  // host path > 259
  const TDeviceList list = Scan();
  EXPECT_EQ(list[0].DriverStore, u"");
  ASSERT_EQ(machine.dialogs.shown.size(), 1u);
  EXPECT_EQ(machine.dialogs.shown[0].kind, ports::MessageKind::Warning);
  EXPECT_EQ(machine.dialogs.shown[0].text.rfind("Call to SetupGetInfDriverStoreLocationW failed: ", 0), 0u);
  EXPECT_NE(machine.dialogs.shown[0].text.find("too small"), std::string::npos) << machine.dialogs.shown[0].text;
}

TEST_F(ScanDevicesTest, LookupFailingAfterTheProbeShowsTheSystemMessage) {
  DeviceWithDriver("ROOT\\A\\0000", "Device A");
  machine.Ini("[faults]\nSetupGetInfDriverStoreLocationW:oem1.inf=5");
  const TDeviceList list = Scan();
  EXPECT_EQ(list[0].DriverStore, u"");
  ASSERT_EQ(machine.dialogs.shown.size(), 1u);
  EXPECT_EQ(machine.dialogs.shown[0].text, "Call to SetupGetInfDriverStoreLocationW failed: Access is denied.\r\n");
}

TEST_F(ScanDevicesTest, WithoutTheDriverStoreEntryPointEveryStoreIsEmptyAndSilent) {
  DeviceWithDriver("ROOT\\A\\0000", "Device A");
  machine.Ini("[faults]\nSetupGetInfDriverStoreLocationW=127");
  const TDeviceList list = Scan();
  EXPECT_EQ(list[0].DriverStore, u"");
  EXPECT_EQ(list[0].OriginalInfName, u"pkg.inf");
  EXPECT_TRUE(machine.dialogs.shown.empty());
}

TEST_F(ScanDevicesTest, DeviceSetThatCannotBeMadeShowsTheSystemMessageAndGivesNothing) {
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid);
  machine.Ini("[faults]\nSetupDiGetClassDevsW=8");
  EXPECT_TRUE(Scan().empty());
  ASSERT_EQ(machine.dialogs.shown.size(), 1u);
  EXPECT_EQ(machine.dialogs.shown[0].kind, ports::MessageKind::Error);
  EXPECT_EQ(machine.dialogs.shown[0].text, "Not enough memory resources are available to process this command.\r\n");
}

TEST_F(ScanDevicesTest, ExceptionReadingTheInstanceIdIsShownAndTheScanGoesOn) {
  machine.Device("ROOT\\A\\0000", "Device A", kSystemGuid);
  machine.Device("ROOT\\B\\0000", "Device B", kSystemGuid);
  machine.Ini("[faults]\nSetupDiGetDeviceInstanceIdW:ROOT\\A\\0000=0xC0000005");
  const TDeviceList list = Scan();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].InstanceId, u"");
  EXPECT_EQ(list[0].Description, u"Device A");
  EXPECT_EQ(list[1].InstanceId, u"ROOT\\B\\0000");
  ASSERT_EQ(machine.dialogs.shown.size(), 1u);
  EXPECT_EQ(machine.dialogs.shown[0].kind, ports::MessageKind::Error);
  EXPECT_NE(machine.dialogs.shown[0].text.find("Access violation in SetupDiGetDeviceInstanceIdW"), std::string::npos);
}

TEST_F(ScanDevicesTest, DriverKeyValueOfAnotherTypeEndsTheScanWithTheRecordsSoFarUnsorted) {
  machine.Class(kSystemGuid, "System devices");
  machine.Device("ROOT\\Z\\0000", "Zulu", kSystemGuid);
  machine.Device("ROOT\\A\\0000", "Alpha", kSystemGuid);
  machine.Device("ROOT\\BAD\\0000", "Bad", kSystemGuid,
                 {"\"Driver\"=" + RegString(kDriverKey), "\"ConfigFlags\"=dword:00000000"});
  machine.Device("ROOT\\C\\0000", "Charlie", kSystemGuid);
  machine.Driver(kDriverKey, "oem1.inf", kPackage, {"\"ProviderName\"=dword:00000001"});
  const TDeviceList list = Scan();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Description, u"Zulu");
  EXPECT_EQ(list[1].Description, u"Alpha");
  EXPECT_EQ(machine.Setup().OpenDeviceSets(), 0u);
  EXPECT_EQ(machine.Setup().LiveIcons(), 0u);
  ASSERT_EQ(machine.dialogs.shown.size(), 1u);
  EXPECT_EQ(machine.dialogs.shown[0].kind, ports::MessageKind::Error);
  // The last read (ConfigFlags) succeeded, so the system has no error to tell:
  // the failure's own message is shown rather than "completed successfully".
  EXPECT_EQ(machine.dialogs.shown[0].text, "Invalid data type for 'ProviderName'");
}

TEST_F(ScanDevicesTest, DriverDateDataLongerThan8BytesEndsTheScanWithTheLastErrorsText) {
  // Mfg, FriendlyName and ConfigFlags are missing: the last error is ERROR_INVALID_DATA.
  DeviceWithDriver("ROOT\\A\\0000", "Device A", {"\"DriverDateData\"=" + RegHex({1, 2, 3, 4, 5, 6, 7, 8, 9})});
  EXPECT_TRUE(Scan().empty());
  ASSERT_EQ(machine.dialogs.shown.size(), 1u);
  EXPECT_EQ(machine.dialogs.shown[0].text, "The data is invalid.\r\n");
  EXPECT_EQ(machine.Setup().OpenDeviceSets(), 0u);
}

TEST_F(ScanDevicesTest, FilterSeesFullRecordsAndDropsAfterTheIconIsAdded) {
  DeviceWithDriver("ROOT\\A\\0000", "Kept");
  machine.Device("ROOT\\B\\0000", "Dropped", kSystemGuid);
  std::vector<WString> seen;
  const TDeviceList list = Scan([&](const TDevice& d) {
    seen.push_back(d.DriverStore);
    return d.Description == u"Kept";
  });
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Description, u"Kept");
  EXPECT_FALSE(seen[0].empty());
  EXPECT_EQ(machine.images.icons.size(), 2u);
  EXPECT_EQ(told, WStringList{u"Kept"});
  EXPECT_EQ(machine.Setup().LiveIcons(), 0u);
  EXPECT_EQ(machine.Setup().OpenDeviceSets(), 0u);
}

TEST_F(ScanDevicesTest, SortsOrdinallyByDescriptionUnlessToldOtherwise) {
  machine.Device("ROOT\\A\\0000", "beta", kSystemGuid, {"\"FriendlyName\"=\"1\""});
  machine.Device("ROOT\\B\\0000", "Beta", kSystemGuid, {"\"FriendlyName\"=\"3\""});
  machine.Device("ROOT\\C\\0000", "alpha", kSystemGuid, {"\"FriendlyName\"=\"2\""});
  const TDeviceList byDescription = Scan();
  ASSERT_EQ(byDescription.size(), 3u);
  EXPECT_EQ(byDescription[0].Description, u"Beta");  // 'B' (66) orders before 'a' (97)
  EXPECT_EQ(byDescription[1].Description, u"alpha");
  EXPECT_EQ(byDescription[2].Description, u"beta");
  const TDeviceList byName = ScanDevices({}, [](const TDevice& a, const TDevice& b) {
    return text::CompareOrdinal(a.FriendlyName, b.FriendlyName);
  }, machine.images, {});
  EXPECT_EQ(byName[0].FriendlyName, u"1");
  EXPECT_EQ(byName[2].FriendlyName, u"3");
  EXPECT_EQ(told.size(), 3u);  // told in enumeration order, once each for the first scan
  EXPECT_EQ(told[0], u"beta");
}

TEST_F(ScanDevicesTest, AbsentDevicesAreLeftOut) {
  machine.Device("ROOT\\A\\0000", "Present", kSystemGuid);
  machine.Device("USB\\GONE\\0001", "Unplugged", kSystemGuid);
  machine.Ini("[absent]\nUSB\\GONE\\0001");
  const TDeviceList list = Scan();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].Description, u"Present");
}

}  // namespace
}  // namespace devices_test
