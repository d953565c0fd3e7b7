// A Windows installation as a machine folder: its hives mounted read-only under
// HKEY_LOCAL_MACHINE, and one clear error, with nothing written, for a folder
// that cannot be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "MachineFolder.h"
#include "platform/offline/Machine.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = QUILLON_FIXTURES_DIR;
const fs::path kSystemHive = "Windows/System32/config/SYSTEM";

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every entry below `folder` with its content and modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Checksum(const fs::path& folder) {
  std::map<std::string, std::pair<std::string, fs::file_time_type>> entries;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    entries[e.path().lexically_relative(folder).string()] = {e.is_regular_file() ? ReadAll(e.path()) : "",
                                                             fs::last_write_time(e.path())};
  return entries;
}

WString Value(const offline::RegKey& hklm, WStringView path, WStringView name) {
  const offline::RegKey* key = offline::FindKey(hklm, path);
  const offline::RegValue* value = key ? key->FindValue(name) : nullptr;
  return value ? offline::RegString(*value) : u"<missing>";
}

TEST(Installation, RealWindows8SystemHiveMountsAsARunningWindowsShowsIt) {
  auto m = offline::Machine::Load(kFixtures / "system2-installation");
  EXPECT_TRUE(m->IsInstallation());
  const offline::RegKey& hklm = m->LocalMachine();
  // Select\Current is 1: CurrentControlSet is ControlSet001.
  EXPECT_EQ(Value(hklm, u"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", u"ComputerName"),
            u"SENSEI");
  EXPECT_EQ(Value(hklm, u"SYSTEM\\ControlSet001\\Control\\ComputerName\\ComputerName", u"ComputerName"), u"SENSEI");
  // Windows 8 keeps the driver database in SYSTEM; it shows as HKLM\DRIVERS.
  EXPECT_EQ(Value(hklm, u"DRIVERS\\DriverDatabase\\DriverInfFiles\\oem1.inf", u"Active"),
            u"vboxguest.inf_amd64_7c8d1446c2599c22");
  EXPECT_EQ(offline::FindKey(hklm, u"SOFTWARE"), nullptr);  // this disk has no SOFTWARE hive
  EXPECT_EQ(m->Config().Get("machine", "ComputerName"), "SENSEI");
  EXPECT_FALSE(m->Config().Get("machine", "WindowsVersion"));
  // Value types and bytes are the hive's own.
  const offline::RegKey* select = offline::FindKey(hklm, u"SYSTEM\\Select");
  ASSERT_NE(select, nullptr);
  EXPECT_EQ(offline::RegDword(*select->FindValue(u"Current")), 1u);
}

TEST(Installation, TheInstallationIsTheSystemDrive) {
  auto m = offline::Machine::Load(kFixtures / "sample-installation");
  const fs::path root = m->Root();
  EXPECT_EQ(m->Locate(u"c:\\windows\\inf\\OEM1.INF", u"The INF").path, root / "Windows/INF/oem1.inf");
  EXPECT_EQ(m->WindowsPath(root / "Windows/INF/oem1.inf"), u"C:\\Windows\\INF\\oem1.inf");
  EXPECT_EQ(m->WindowsPath(root), u"C:\\");
  // Select\Current names ControlSet002; ControlSet001 is an older one.
  EXPECT_EQ(m->Config().Get("machine", "ComputerName"), "QUILLON-SAMPLE");
  EXPECT_EQ(offline::FindKey(m->LocalMachine(), u"SYSTEM\\CurrentControlSet\\Enum\\ROOT\\STALE"), nullptr);
  EXPECT_NE(offline::FindKey(m->LocalMachine(), u"SYSTEM\\ControlSet001\\Enum\\ROOT\\STALE"), nullptr);
  EXPECT_EQ(m->Config().Get("machine", "WindowsVersion"), "10.0.19045");
}

class DamagedInstallation : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder.Root() / "Windows/System32/config");
    fs::copy_file(kFixtures / "system2-installation" / kSystemHive, Hive());
  }
  fs::path Hive() const { return folder.Root() / kSystemHive; }
  // The message Load raises; the folder is unchanged afterwards.
  std::string LoadError() {
    const auto before = Checksum(folder.Root());
    std::string message = "loaded";
    try {
      offline::Machine::Load(folder.Root());
    } catch (const offline::MachineError& e) {
      message = e.what();
    }
    EXPECT_EQ(Checksum(folder.Root()), before) << "the load wrote below the machine folder";
    return message;
  }
  simtest::MachineFolder folder;
};

TEST_F(DamagedInstallation, TruncatedHive) {
  fs::resize_file(Hive(), 4'000'000);
  EXPECT_EQ(LoadError(), Hive().string() + ": truncated hive (4000000 bytes, its header needs 7634944)");
}

TEST_F(DamagedInstallation, NotAHive) {
  {
    std::fstream f(Hive(), std::ios::in | std::ios::out | std::ios::binary);
    f.write("XXXX", 4);
  }
  EXPECT_EQ(LoadError(), Hive().string() + ": not a registry hive (no \"regf\" header)");
}

TEST_F(DamagedInstallation, DamagedHiveBins) {
  {
    std::fstream f(Hive(), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(5'000'000);
    const std::string noise(200'000, '\x5A');
    f.write(noise.data(), std::streamsize(noise.size()));
  }
  const std::string error = LoadError();
  EXPECT_EQ(error.rfind(Hive().string() + ": damaged registry hive (", 0), 0u) << error;
}

TEST_F(DamagedInstallation, MissingSystemHive) {
  fs::remove(Hive());
  EXPECT_EQ(LoadError(), folder.Root().string() +
                             ": not a Windows installation (Windows/System32/config/SYSTEM is missing)");
}

TEST_F(DamagedInstallation, AFolderThatIsNoMachineAtAll) {
  fs::remove_all(folder.Root() / "Windows");
  folder.Write("Documents/notes.txt", "not a Windows disk");
  EXPECT_EQ(LoadError(), folder.Root().string() +
                             ": not a Windows installation (no Windows/System32/config/SYSTEM) nor a machine folder "
                             "(no registry.reg, machine.ini or C/)");
}

TEST_F(DamagedInstallation, NamesOfAMountedNtfsDifferInCase) {
  fs::rename(folder.Root() / "Windows", folder.Root() / "WINDOWS");
  fs::rename(folder.Root() / "WINDOWS/System32/config/SYSTEM", folder.Root() / "WINDOWS/System32/config/system");
  fs::rename(folder.Root() / "WINDOWS/System32", folder.Root() / "WINDOWS/system32");
  auto m = offline::Machine::Load(folder.Root());
  EXPECT_EQ(m->Config().Get("machine", "ComputerName"), "SENSEI");
}

TEST_F(DamagedInstallation, MachineIniBesideTheHivesWins) {
  folder.Write("machine.ini", "[machine]\nComputerName=RESCUED\n");
  auto m = offline::Machine::Load(folder.Root());
  EXPECT_EQ(m->Config().Get("machine", "ComputerName"), "RESCUED");
  EXPECT_TRUE(m->IsInstallation());
}

}  // namespace
