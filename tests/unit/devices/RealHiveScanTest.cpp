// A scan of a real Windows 8 installation's SYSTEM hive (its other hives and files
// lost): every device under a named class, every name resolved as Windows shows it.
#include <cstdio>

#include "ScanHarness.h"
#include "platform/Paths.h"
#include "platform/offline/Machine.h"

namespace devices_test {
namespace {

// What hivexget prints for a value of the SYSTEM hive (the raw stored text).
std::string HivexGet(const std::string& key, const std::string& value) {
  const std::string command = "hivexget '" + std::string(QUILLON_FIXTURES_DIR) +
                              "/system2-installation/Windows/System32/config/SYSTEM' '" + key + "' '" + value + "'";
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    ::pclose(pipe);
  }
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

class RealHiveScan : public InstallationScan {
 protected:
  RealHiveScan() : InstallationScan("system2-installation") {}
};

TEST_F(RealHiveScan, EveryDeviceHasANamedClassAndResolvedNames) {
  // 48 devices in Enum: HTREE\ROOT\0 has no class, and one monitor was removed.
  EXPECT_EQ(devices.size(), 47u);
  EXPECT_TRUE(dialogs.shown.empty());
  for (const TDevice& d : devices) {
    const std::string id = text::ToUtf8(d.InstanceId);
    if (id == "HTREE\\ROOT\\0") continue;  // the device tree's root: no class on Windows either
    EXPECT_FALSE(d.ClassName.empty()) << id;
    EXPECT_FALSE(d.ClassDescription.empty()) << id;
    EXPECT_FALSE(d.Description.empty()) << id;
    for (const std::u16string* name : {&d.ClassDescription, &d.Description, &d.FriendlyName, &d.Manuf}) {
      const std::string s = text::ToUtf8(*name);
      // No reference is left ("@file.inf,%key%", "@x.dll,-12"); the processor's
      // own name has an '@' ("... CPU @ 2.40GHz").
      EXPECT_NE(s.rfind('@', 0), 0u) << id << ": " << s;
      EXPECT_EQ(s.find(".inf,%"), std::string::npos) << id << ": " << s;
      EXPECT_EQ(s.find(".dll,-"), std::string::npos) << id << ": " << s;
      EXPECT_EQ(s.find("%1"), std::string::npos) << id << ": " << s;
      EXPECT_EQ(s.find(";("), std::string::npos) << id << ": " << s;
    }
  }
}

TEST_F(RealHiveScan, NamesMatchTheHiveResolvedByHand) {
  const std::string usb = "PCI\\VEN_8086&DEV_265C&SUBSYS_00000000&REV_00\\3&267a616a&2&58";
  ASSERT_EQ(HivexGet("\\ControlSet001\\Enum\\" + usb, "DeviceDesc"),
            "@usbport.inf,%pci\\ven_8086&dev_265c.devicedesc%;Intel(R) 82801FB/FBM USB2 Enhanced Host Controller - 265C");
  ASSERT_EQ(HivexGet("\\ControlSet001\\Enum\\" + usb, "Mfg"), "@usbport.inf,%intel.mfg%;Intel");
  const TDevice& controller = ById(usb);
  EXPECT_EQ(controller.Description, u"Intel(R) 82801FB/FBM USB2 Enhanced Host Controller - 265C");
  EXPECT_EQ(controller.FriendlyName, controller.Description);  // no FriendlyName value
  EXPECT_EQ(controller.Manuf, u"Intel");
  // Windows 8 keeps the class name in the class key only, and the description
  // as a reference to a DLL's string: here found in SysClass.dll's en-US .mui.
  const std::string usbClass = "\\ControlSet001\\Control\\Class\\{36fc9e60-c465-11cf-8056-444553540000}";
  ASSERT_EQ(HivexGet(usbClass, "ClassDesc"), "@%SystemRoot%\\System32\\SysClass.Dll,-3025");
  EXPECT_EQ(controller.ClassName, u"USB");
  EXPECT_EQ(controller.ClassDescription, u"Universal Serial Bus controllers");
  EXPECT_EQ(ById("ACPI\\PNP0A03\\0").ClassDescription, u"System devices");
  // DispCI.dll is not on this disk: the class name stands in, as setupapi does.
  const std::string display = "PCI\\VEN_80EE&DEV_BEEF&SUBSYS_00000000&REV_00\\3&267a616a&2&10";
  ASSERT_EQ(HivexGet("\\ControlSet001\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}", "ClassDesc"),
            "@%SystemRoot%\\System32\\DispCI.dll,-3100");
  EXPECT_EQ(ById(display).ClassDescription, u"Display");
  // Montr_CI.dll keeps its strings itself (no .mui).
  EXPECT_EQ(ById("DISPLAY\\Default_Monitor\\4&d9dcf0b&0&UID0").ClassDescription, u"Monitors");
  EXPECT_EQ(ById(display).Description, u"VirtualBox Graphics Adapter for Windows 8");

  const std::string isatapBus = "SWD\\IP_TUNNEL_VBUS\\IP_TUNNEL_DEVICE_ROOT";
  ASSERT_EQ(HivexGet("\\ControlSet001\\Enum\\" + isatapBus, "FriendlyName"),
            "@System32\\iphlpsvc.dll,-504;Microsoft IPv4 IPv6 Transition Adapter Bus");
  EXPECT_EQ(ById(isatapBus).FriendlyName, u"Microsoft IPv4 IPv6 Transition Adapter Bus");
  EXPECT_EQ(ById(isatapBus).Description, u"Generic software device");

  // A class whose ClassDesc is an INF reference with its own text.
  const std::string queue = "SWD\\PRINTENUM\\PrintQueues";
  EXPECT_EQ(ById(queue).ClassDescription, u"Print queues");
  EXPECT_EQ(ById(queue).FriendlyName, u"Root Print Queue");
}

TEST_F(RealHiveScan, ADeviceWindowsRecordedAsRemovedIsNotPresent) {
  // Its last removal (0067) is later than its last arrival (0066).
  const std::string dates = "\\ControlSet001\\Enum\\DISPLAY\\Default_Monitor\\1&8713bca&0&UID0\\Properties\\"
                            "{83da6326-97a6-4088-9453-a1923f573b29}\\";
  ASSERT_FALSE(HivexGet(dates + "0067", "").empty());
  EXPECT_THROW(ById("DISPLAY\\Default_Monitor\\1&8713bca&0&UID0"), std::runtime_error);
  EXPECT_EQ(ById("DISPLAY\\Default_Monitor\\4&d9dcf0b&0&UID0").Description, u"Generic Non-PnP Monitor");
}

}  // namespace
}  // namespace devices_test
