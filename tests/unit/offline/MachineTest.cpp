#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "platform/offline/Machine.h"
#include "tests/unit/offline/MachineFolder.h"

namespace fs = std::filesystem;

namespace {

fs::path Path(const offline::Machine& m, WStringView windowsPath) { return m.Locate(windowsPath, u"The path").path; }

class MachineFolderLoad : public ::testing::Test {
 protected:
  simtest::MachineFolder folder;
};

TEST_F(MachineFolderLoad, MapsWindowsPathsOntoExistingEntriesIgnoringCase) {
  folder.Write("C/Windows/INF/oem1.inf", "x");
  auto m = offline::Machine::Load(folder.Root());
  EXPECT_EQ(Path(*m, u"C:\\WINDOWS\\inf\\OEM1.INF"), folder.Root() / "C/Windows/INF/oem1.inf");
  EXPECT_EQ(Path(*m, u"c:/windows/Inf/"), folder.Root() / "C/Windows/INF");
  // Past the first missing name the rest is kept as written.
  EXPECT_EQ(Path(*m, u"C:\\windows\\New Folder\\Sub\\a.TXT"), folder.Root() / "C/Windows/New Folder/Sub/a.TXT");
  EXPECT_EQ(Path(*m, u"C:\\Windows\\..\\..\\Windows\\.\\INF"), folder.Root() / "C/Windows/INF");
  EXPECT_EQ(Path(*m, u"C:\\"), folder.Root() / "C");
  EXPECT_EQ(Path(*m, u"d:\\data"), folder.Root() / "D/data");
}

TEST_F(MachineFolderLoad, TakesHostPathsInsideAndRefusesThoseOutside) {
  fs::create_directories(folder.Root() / "C");
  auto m = offline::Machine::Load(folder.Root());
  fs::path inside = folder.Root() / "C/x";
  EXPECT_EQ(m->Locate(text::FromPath(inside), u"The file").path, inside);
  const offline::Located out = m->Locate(u"/tmp/out", u"The file");
  EXPECT_FALSE(out);
  EXPECT_EQ(out.refusal, u"The file \"/tmp/out\" leads outside the installation, to /tmp/out");
  const offline::Located climbing = m->Locate(text::FromPath(folder.Root() / "C/../../etc/passwd"), u"InfPath");
  EXPECT_EQ(climbing.outside, folder.Root().parent_path() / "etc/passwd");
}

// Every path the disk names is followed link by link: links inside are taken,
// any link out (file, folder, missing target) refuses the path, naming the link.
TEST_F(MachineFolderLoad, ResolvesLinksAndRefusesEveryWayOut) {
  folder.Write("C/Windows/INF/oem1.inf", "x");
  const fs::path outside = folder.Root().string() + "-outside";
  fs::create_directories(outside);
  std::ofstream(outside / "secret.inf") << "secret";
  const fs::path c = folder.Root() / "C";
  fs::create_directory_symlink(c / "Windows/INF", c / "Junction");
  fs::create_directory_symlink(outside, c / "Windows/Out");
  fs::create_symlink(outside / "secret.inf", c / "Windows/INF/oem2.inf");
  fs::create_symlink("/nonexistent/x.inf", c / "Windows/INF/oem3.inf");
  auto m = offline::Machine::Load(folder.Root());

  EXPECT_EQ(m->Locate(u"C:\\junction\\OEM1.INF", u"InfPath").path, c / "Windows/INF/oem1.inf");
  const offline::Located viaFolder = m->Locate(u"C:\\Windows\\out\\secret.inf", u"InfPath");
  EXPECT_FALSE(viaFolder);
  EXPECT_EQ(viaFolder.refusal, u"InfPath \"C:\\Windows\\out\\secret.inf\" leads outside the installation, to " +
                                   text::FromPath(outside) + u" (C/Windows/Out is a link)");
  const offline::Located viaFile = m->Locate(u"C:\\Windows\\INF\\oem2.inf", u"InfPath");
  EXPECT_EQ(viaFile.outside, outside / "secret.inf");
  EXPECT_EQ(m->Locate(u"C:\\Windows\\INF\\oem3.inf", u"InfPath").outside, fs::path("/nonexistent/x.inf"));
  // A relative path is taken from C:\ and may not climb above it; a drive path stops at its root, as on Windows.
  const offline::Located relative = m->Locate(u"..\\..\\etc\\passwd", u"InfPath");
  EXPECT_EQ(relative.refusal, u"InfPath \"..\\..\\etc\\passwd\" leads outside the installation, to " +
                                  text::FromPath(folder.Root().parent_path() / "etc/passwd"));
  EXPECT_EQ(m->Locate(u"C:\\..\\..\\Windows\\INF\\oem1.inf", u"InfPath").path, c / "Windows/INF/oem1.inf");
  fs::remove_all(outside);
}

TEST_F(MachineFolderLoad, RefusesAPipeWhereAFileIsRead) {
  fs::create_directories(folder.Root() / "C/Windows/INF");
  ASSERT_EQ(mkfifo((folder.Root() / "C/Windows/INF/oem1.inf").c_str(), 0600), 0);
  auto m = offline::Machine::Load(folder.Root());
  EXPECT_EQ(m->Locate(u"C:\\Windows\\INF\\oem1.inf", u"InfPath").refusal,
            u"InfPath \"C:\\Windows\\INF\\oem1.inf\" is a pipe, not a file");
}

TEST_F(MachineFolderLoad, RefusesASystemDriveThatLeadsOutside) {
  folder.Write("machine.ini", "[machine]\n");
  fs::create_directory_symlink("/usr", folder.Root() / "C");
  EXPECT_THROW(offline::Machine::Load(folder.Root()), offline::MachineError);
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
