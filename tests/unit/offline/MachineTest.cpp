#include <gtest/gtest.h>

#include "platform/offline/Machine.h"
#include "tests/unit/offline/MachineFolder.h"

namespace fs = std::filesystem;

namespace {

class MachineFolderLoad : public ::testing::Test {
 protected:
  simtest::MachineFolder folder;
};

TEST_F(MachineFolderLoad, MapsWindowsPathsOntoExistingEntriesIgnoringCase) {
  folder.Write("C/Windows/INF/oem1.inf", "x");
  auto m = offline::Machine::Load(folder.Root());
  EXPECT_EQ(m->MapPath(u"C:\\WINDOWS\\inf\\OEM1.INF"), folder.Root() / "C/Windows/INF/oem1.inf");
  EXPECT_EQ(m->MapPath(u"c:/windows/Inf/"), folder.Root() / "C/Windows/INF");
  // Past the first missing name the rest is kept as written.
  EXPECT_EQ(m->MapPath(u"C:\\windows\\New Folder\\Sub\\a.TXT"), folder.Root() / "C/Windows/New Folder/Sub/a.TXT");
  EXPECT_EQ(m->MapPath(u"C:\\Windows\\..\\..\\Windows\\.\\INF"), folder.Root() / "C/Windows/INF");
  EXPECT_EQ(m->MapPath(u"C:\\"), folder.Root() / "C");
  EXPECT_EQ(m->MapPath(u"d:\\data"), folder.Root() / "D/data");
}

TEST_F(MachineFolderLoad, LeavesHostPathsAlone) {
  fs::create_directories(folder.Root() / "C");
  auto m = offline::Machine::Load(folder.Root());
  fs::path inside = folder.Root() / "C/x";
  EXPECT_EQ(m->MapPath(text::FromPath(inside)), inside);
  EXPECT_EQ(m->MapPath(u"/tmp/out"), fs::path("/tmp/out"));
}

TEST_F(MachineFolderLoad, TurnsHostPathsBackIntoWindowsPaths) {
  fs::create_directories(folder.Root() / "C");
  auto m = offline::Machine::Load(folder.Root());
  EXPECT_EQ(m->WindowsPath(folder.Root() / "C/Windows/INF/oem1.inf"), u"C:\\Windows\\INF\\oem1.inf");
  EXPECT_EQ(m->WindowsPath(folder.Root() / "C"), u"C:\\");
  EXPECT_EQ(m->WindowsPath(folder.Root() / "registry.reg"), u"");
  EXPECT_EQ(m->WindowsPath("/elsewhere/C/x"), u"");
}

TEST_F(MachineFolderLoad, ReadsRegistryAndConfiguration) {
  folder.Write("registry.reg", simtest::Utf16RegFile("Windows Registry Editor Version 5.00\n\n"
                                                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\7-Zip]\n\"Path64\"=\"C:\\\\7\"\n"));
  folder.Write("machine.ini",
               "\xEF\xBB\xBF; sample\r\n[machine]\r\nComputerName = BOX-1\r\n[absent]\r\nPCI\\VEN_1&DEV_2\\3&4\r\n"
               "[faults]\r\nRegOpenKeyExW=5\r\nSetupDiGetDeviceRegistryPropertyW:PCI\\X=0x7A\r\n");
  auto m = offline::Machine::Load(folder.Root());
  EXPECT_NE(m->LocalMachine().FindChild(u"software")->FindChild(u"7-zip"), nullptr);
  EXPECT_EQ(m->Config().Get("MACHINE", "computername"), "BOX-1");
  auto absent = m->Config().Section("absent");
  ASSERT_EQ(absent.size(), 1u);
  EXPECT_EQ(absent[0].first, "PCI\\VEN_1&DEV_2\\3&4");
  EXPECT_EQ(m->Fault("RegOpenKeyExW"), 5u);
  EXPECT_EQ(m->Fault("RegOpenKeyExW", "anything"), 5u);
  EXPECT_EQ(m->Fault("SetupDiGetDeviceRegistryPropertyW", "pci\\x"), 0x7Au);
  EXPECT_EQ(m->Fault("SetupDiGetDeviceRegistryPropertyW", "PCI\\Y"), 0u);
  EXPECT_EQ(m->Fault("SetupDiGetDeviceRegistryPropertyW"), 0u);
}

TEST_F(MachineFolderLoad, FolderWithOnlyADriveIsAnEmptyMachine) {
  std::filesystem::create_directories(folder.Root() / "C");
  auto m = offline::Machine::Load(folder.Root());
  EXPECT_TRUE(m->LocalMachine().Children().empty());
  EXPECT_EQ(m->Fault("RegOpenKeyExW"), 0u);
}

TEST_F(MachineFolderLoad, RejectsBadFilesWithTheirNames) {
  folder.Write("registry.reg", "Windows Registry Editor Version 5.00\n\"v\"=dword:1\n");
  try {
    offline::Machine::Load(folder.Root());
    FAIL() << "loaded a registry with a value outside a key";
  } catch (const offline::MachineError& e) {
    EXPECT_NE(std::string(e.what()).find("registry.reg:2: value outside a key"), std::string::npos) << e.what();
  }
  fs::remove(folder.Root() / "registry.reg");
  folder.Write("machine.ini", "[faults]\nRegOpenKeyExW=often\n");
  EXPECT_THROW(offline::Machine::Load(folder.Root()), offline::MachineError);
  EXPECT_THROW(offline::Machine::Load(folder.Root() / "missing"), offline::MachineError);
}

TEST(Ini, ParsesSectionsKeysAndComments) {
  offline::Ini ini = offline::Ini::Parse("# c\n[A]\nk=v=w\n; c\n  spaced  =  value  \n[b]\n[a]\nlater=1\nk=2\n", "t.ini");
  EXPECT_EQ(ini.Get("a", "K"), "2");  // the last entry of a key wins
  EXPECT_EQ(ini.Get("A", "spaced"), "value");
  EXPECT_EQ(ini.Section("a").size(), 3u);
  EXPECT_TRUE(ini.Section("b").empty());
  EXPECT_EQ(ini.GetOr("b", "x", "fallback"), "fallback");
  EXPECT_FALSE(ini.Get("c", "k"));
}

TEST(Ini, RejectsMalformedLines) {
  auto error = [](std::string_view content) {
    try {
      offline::Ini::Parse(content, "m.ini");
    } catch (const offline::MachineError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(error("k=v\n"), "m.ini:1: entry outside a section");
  EXPECT_EQ(error("[a]\n\n[b\n"), "m.ini:3: section header without ']'");
  EXPECT_EQ(error("[a]\n=v\n"), "m.ini:2: entry without a name");
}

}  // namespace
