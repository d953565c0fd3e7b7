// quillon-cli.exe restore under Wine: a root device made for the test with the
// installable sample package's hardware id, and a backup that `quillon
// export-all` wrote (fixtures/installable-backup). --dry-run names the package the
// plan chose for the device and leaves the registry and C:\windows\inf as they
// were; the restore then checks the package and installs it: the device's driver
// key names the published INF, a new scan of the devices shows it, and the record
// says "installed".
// What passes here is what Wine really does: its catalog member lookup is a stub,
// so the checks walk the catalog's members (a package whose driver the catalog
// does not list is refused, below); Wine hashes every file whole, so the package's
// driver is a flat file (fixtures/gen-50-installable-package), whose catalog hash
// is the same on Windows. UpdateDriverForPlugAndPlayDevicesW succeeds under Wine
// also when it installs nothing, so the driver key, the copied driver file and the
// scan are checked, never its answer alone. The trust verdict is not: Wine's driver
// policy passes any well-formed signature (tested on Linux).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "archive/ZipWriter.h"
#include "platform/Text.h"
#include "windows/cli/CliRun.h"
#include "windows/support/Fixtures.h"
#include "windows/support/InstallTestDevice.h"

namespace {

namespace fs = std::filesystem;
using win32_test::CliRun;
using win32_test::RunQuillonCli;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// Every file of C:\windows\inf with its content.
std::map<std::wstring, std::string> InfFolder() {
  std::map<std::wstring, std::string> files;
  for (const auto& e : fs::directory_iterator(win32_test::WindowsFolder(L"\\inf")))
    if (e.is_regular_file()) files[e.path().filename().wstring()] = win32_test::ReadAll(e.path().wstring());
  return files;
}

// The prefix's HKLM\SYSTEM as reg.exe exports it.
std::string SystemHive(const fs::path& scratch) {
  static int exports = 0;
  const fs::path file = scratch / ("system" + std::to_string(++exports) + ".reg");
  std::wstring command = L"reg.exe export HKLM\\SYSTEM \"" + file.wstring() + L"\" /y";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
    ADD_FAILURE() << "reg.exe did not start: " << ::GetLastError();
    return {};
  }
  ::WaitForSingleObject(process.hProcess, 60000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return win32_test::ReadAll(file.wstring());
}

std::vector<fs::path> Matching(const fs::path& folder, const std::wstring& prefix) {
  std::vector<fs::path> found;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().wstring().rfind(prefix, 0) == 0) found.push_back(e.path());
  return found;
}

std::wstring FixtureFile(const std::string& relative) {
  return reinterpret_cast<const wchar_t*>(win32_test::FixturePath(relative).c_str());
}

// The INF that is in C:\windows\inf now and was not `before`; empty when none is.
std::wstring NewInf(const std::map<std::wstring, std::string>& before) {
  for (const auto& [name, content] : InfFolder())
    if (!before.count(name) && fs::path(name).extension() == L".inf") return name;
  return {};
}

// Wine may keep an extracted catalog open after the checks (Windows closes it and
// the folder is removed): a folder left behind is named, never silently.
void ExpectLeftFoldersNamed(const std::vector<fs::path>& leftBefore, const std::string& err) {
  for (const fs::path& left : Matching(fs::temp_directory_path(), L"quillon-package-"))
    if (std::find(leftBefore.begin(), leftBefore.end(), left) == leftBefore.end())
      EXPECT_NE(err.find(left.filename().string() + " could not be removed"), std::string::npos) << err;
}

// Installs into the prefix: runs alone (see quillon_add_test).
class SeededRestoreOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32_test::FixturesPresent()) GTEST_SKIP() << "fixtures missing: build the linux preset first";
    scratch_ = fs::temp_directory_path() / ("quillon-restore-" + std::to_string(::GetCurrentProcessId()));
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
    // A copy: the record goes into the backup folder.
    fs::copy(fs::path(reinterpret_cast<const wchar_t*>(win32_test::FixturePath("installable-backup").c_str())),
             Backup());
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(scratch_, ec);
  }
  fs::path Backup() const { return scratch_ / "backup"; }
  std::wstring BackupArgument() const { return L"\"" + Backup().wstring() + L"\""; }

  fs::path scratch_;
};

TEST_F(SeededRestoreOnWine, DryRunChangesNothingAndTheRestoreInstallsThePackageOnTheDevice) {
  win32_test::InstalledPackageCleanup cleanup;
  win32_test::RootDevice device(win32_test::kHardwareId);
  const std::string id = Narrow(device.InstanceId());

  const std::string hiveBefore = SystemHive(scratch_);
  const auto infBefore = InfFolder();
  const CliRun dry = RunQuillonCli(L"restore " + BackupArgument() + L" --dry-run", scratch_);
  ASSERT_EQ(dry.exitCode, 0u) << dry.out << dry.err;
  EXPECT_NE(dry.out.find("Install 1 driver package on 1 device?"), std::string::npos) << dry.out;
  EXPECT_NE(dry.out.find("(" + id + "): Northwind USB Serial Port_3.8.27.0.Zip (nwserial.inf, 3.8.27.0, matched "
                         "USB\\VID_1234&PID_5678)"),
            std::string::npos)
      << dry.out;
  EXPECT_NE(dry.out.find("--dry-run: nothing was installed."), std::string::npos);
  const CliRun dryJson = RunQuillonCli(L"--json restore " + BackupArgument() + L" --dry-run", scratch_);
  ASSERT_EQ(dryJson.exitCode, 0u) << dryJson.out << dryJson.err;
  const nlohmann::json choice = nlohmann::json::parse(dryJson.out);
  EXPECT_EQ(choice["dryRun"], true);
  ASSERT_EQ(choice["packages"].size(), 1u) << dryJson.out;
  EXPECT_EQ(choice["packages"][0]["package"], "Northwind USB Serial Port_3.8.27.0.Zip");
  EXPECT_EQ(choice["packages"][0]["matched"], "USB\\VID_1234&PID_5678");
  EXPECT_TRUE(SystemHive(scratch_) == hiveBefore) << "the dry run changed HKLM\\SYSTEM";
  EXPECT_EQ(InfFolder(), infBefore);
  EXPECT_TRUE(Matching(Backup(), L"Quillon-restore-").empty()) << "a dry run writes no record";
  EXPECT_TRUE(device.DriverValue(L"InfPath").empty());

  const std::vector<fs::path> leftBefore = Matching(fs::temp_directory_path(), L"quillon-package-");
  const CliRun restored = RunQuillonCli(L"restore " + BackupArgument(), scratch_);
  const std::wstring published = NewInf(infBefore);
  if (!published.empty()) cleanup.Published(win32_test::WindowsFolder(L"\\inf\\") + published);
  EXPECT_EQ(restored.exitCode, 0u) << restored.out << restored.err;
  EXPECT_NE(restored.out.find(id + "): Northwind USB Serial Port_3.8.27.0.Zip: installed\n"), std::string::npos)
      << restored.out;
  EXPECT_NE(restored.out.find("Installed 1 of 1 driver package.\n"), std::string::npos) << restored.out;

  // Published: the package's INF, under its own name or oemN.inf.
  ASSERT_FALSE(published.empty()) << "no INF was published";
  EXPECT_EQ(win32_test::ReadAll(win32_test::WindowsFolder(L"\\inf\\") + published),
            win32_test::ReadAll(FixtureFile("installable-package/nwserial/nwserial.inf")));
  // Installed on the device: its driver key names the INF, the driver file was copied.
  EXPECT_EQ(device.DriverValue(L"InfPath"), published);
  EXPECT_EQ(device.DriverValue(L"InfSection"), L"NwSerial_Install");
  EXPECT_EQ(win32_test::ReadAll(win32_test::WindowsFolder(L"\\system32\\drivers\\nwserial.sys")),
            win32_test::ReadAll(FixtureFile("installable-package/nwserial/nwserial.sys")));

  // A new scan shows the device with the new driver.
  const CliRun list = RunQuillonCli(L"--json list", scratch_);
  ASSERT_EQ(list.exitCode, 0u) << list.err;
  const nlohmann::json devices = nlohmann::json::parse(list.out)["devices"];
  std::string listedInf = "(device not listed)";
  for (const auto& d : devices)
    if (d["instanceId"] == id) listedInf = d["inf"];
  EXPECT_EQ(listedInf, Narrow(published)) << list.out;

  const std::vector<fs::path> records = Matching(Backup(), L"Quillon-restore-");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(restored.out.find("Record: " + records[0].string() + "\n"), std::string::npos) << restored.out;
  const std::string record = win32_test::ReadAll(records[0].wstring());
  EXPECT_NE(record.find(id + ")\",\"Northwind USB Serial Port_3.8.27.0.Zip\",\"\",\"Northwind 3.8.27.0 (nwserial.inf)\","
                        "\"installed\""),
            std::string::npos)
      << record;
  ExpectLeftFoldersNamed(leftBefore, restored.err);
}

// The package's archive written anew with another nwserial.sys: the backup index
// no longer matches it, so the backup is read from its archives, and the catalog
// check (a walk of the members under Wine) finds the driver's hash in no member.
TEST_F(SeededRestoreOnWine, APackageWhoseDriverItsCatalogDoesNotListIsRefused) {
  win32_test::InstalledPackageCleanup cleanup;  // should it be installed after all
  win32_test::RootDevice device(win32_test::kHardwareId);
  const std::string id = Narrow(device.InstanceId());
  const fs::path changed = scratch_ / "nwserial.sys";
  std::ofstream(changed, std::ios::binary) << "not the driver the catalog lists\r\n";
  const fs::path archive = Backup() / "Northwind USB Serial Port_3.8.27.0.Zip";
  fs::remove(archive);
  {
    archive::TZipWriter zip(archive.u16string());
    for (const char* name : {"nwserial.inf", "nwserial.cat"})
      zip.AddFile(win32_test::FixturePath(std::string("installable-package/nwserial/") + name), text::FromUtf8(name));
    zip.AddFile(changed.u16string(), u"nwserial.sys");
    zip.Close();
  }

  const auto infBefore = InfFolder();
  const std::vector<fs::path> leftBefore = Matching(fs::temp_directory_path(), L"quillon-package-");
  const CliRun restored = RunQuillonCli(L"--json restore " + BackupArgument(), scratch_);
  if (const std::wstring published = NewInf(infBefore); !published.empty())
    cleanup.Published(win32_test::WindowsFolder(L"\\inf\\") + published);
  EXPECT_EQ(restored.exitCode, 1u) << restored.out << restored.err;
  const nlohmann::json result = nlohmann::json::parse(restored.out);
  ASSERT_EQ(result["packages"].size(), 1u) << restored.out;
  EXPECT_NE(result["packages"][0]["device"].get<std::string>().find("(" + id + ")"), std::string::npos)
      << restored.out;
  EXPECT_EQ(result["packages"][0]["result"], "not installed: nwserial.sys: File not found in the catalog");
  EXPECT_EQ(result["summary"]["installed"], 0);
  EXPECT_EQ(result["summary"]["failed"],
            nlohmann::json::array({"Northwind USB Serial Port_3.8.27.0.Zip: nwserial.sys: File not found in the "
                                   "catalog"}));
  EXPECT_TRUE(fs::is_regular_file(fs::path(result["record"].get<std::string>()))) << restored.out;
  EXPECT_TRUE(device.DriverValue(L"InfPath").empty());
  EXPECT_EQ(InfFolder(), infBefore);
  ExpectLeftFoldersNamed(leftBefore, restored.err);
}

TEST_F(SeededRestoreOnWine, StageOnTheRunningSystemTakesThePlansChoiceOrEveryPackage) {
  win32_test::RootDevice device(win32_test::kHardwareId);
  const CliRun chosen = RunQuillonCli(L"stage " + BackupArgument() + L" --to \"" + (scratch_ / "kit").wstring() + L"\"",
                                      scratch_);
  ASSERT_EQ(chosen.exitCode, 0u) << chosen.out << chosen.err;
  EXPECT_NE(chosen.out.find("1 of 1 driver packages staged"), std::string::npos) << chosen.out;
  const std::string script = win32_test::ReadAll((scratch_ / "kit" / "install-drivers.cmd").wstring());
  EXPECT_NE(script.find("set \"INF=Northwind USB Serial Port_3.8.27.0\\nwserial.inf\"\r\n"), std::string::npos)
      << script;
  EXPECT_TRUE(fs::is_regular_file(scratch_ / "kit" / "Northwind USB Serial Port_3.8.27.0" / "nwserial.cat"));

  const CliRun all = RunQuillonCli(
      L"stage " + BackupArgument() + L" --to \"" + (scratch_ / "all").wstring() + L"\" --all-packages", scratch_);
  ASSERT_EQ(all.exitCode, 0u) << all.out << all.err;
  EXPECT_NE(all.out.find("6 of 6 driver packages staged"), std::string::npos) << all.out;
}

TEST_F(SeededRestoreOnWine, AFolderWithoutArchivesIsNamedAndNothingIsDone) {
  const fs::path empty = scratch_ / "empty";
  fs::create_directories(empty);
  const auto infBefore = InfFolder();
  const CliRun r = RunQuillonCli(L"restore \"" + empty.wstring() + L"\"", scratch_);
  EXPECT_EQ(r.exitCode, 1u) << r.out << r.err;
  EXPECT_NE(r.err.find("holds no .7z or .Zip archive"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_empty(empty));
  EXPECT_EQ(InfFolder(), infBefore);
}

}  // namespace
