// quillon-cli.exe restore under Wine: a root device made for the test with the
// installable sample package's hardware id gets that package from a backup that
// `quillon export-all` wrote (fixtures/installable-backup). --dry-run leaves the
// registry and C:\windows\inf as they were; restore installs the package (the
// driver key names the published INF), a rescan lists the device with it, the
// record says so, and no extracted folder stays in the temporary folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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

TEST_F(SeededRestoreOnWine, DryRunChangesNothingThenRestoreInstallsThePackageOnTheDevice) {
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
  EXPECT_EQ(SystemHive(scratch_), hiveBefore);
  EXPECT_EQ(InfFolder(), infBefore);
  EXPECT_TRUE(Matching(Backup(), L"Quillon-restore-").empty()) << "a dry run writes no record";
  EXPECT_TRUE(device.DriverValue(L"InfPath").empty());

  const CliRun restored = RunQuillonCli(L"restore " + BackupArgument(), scratch_);
  const std::wstring published = device.DriverValue(L"InfPath");
  if (!published.empty()) cleanup.Published(win32_test::WindowsFolder(L"\\inf\\") + published);
  ASSERT_EQ(restored.exitCode, 0u) << restored.out << restored.err;
  EXPECT_NE(restored.out.find(id + "): Northwind USB Serial Port_3.8.27.0.Zip: installed\n"), std::string::npos)
      << restored.out;
  EXPECT_NE(restored.out.find("Installed 1 of 1 driver package."), std::string::npos) << restored.out;
  ASSERT_FALSE(published.empty()) << "the device's driver key names no INF";
  EXPECT_EQ(win32_test::ReadAll(win32_test::WindowsFolder(L"\\inf\\") + published),
            win32_test::ReadAll(reinterpret_cast<const wchar_t*>(
                win32_test::FixturePath("installable-package/nwserial/nwserial.inf").c_str())));
  EXPECT_EQ(device.DriverValue(L"InfSection"), L"NwSerial_Install");

  const std::vector<fs::path> records = Matching(Backup(), L"Quillon-restore-");
  ASSERT_EQ(records.size(), 1u);
  const std::string record = win32_test::ReadAll(records[0].wstring());
  EXPECT_NE(record.find(id + ")\",\"Northwind USB Serial Port_3.8.27.0.Zip\",\"\",\"Northwind 3.8.27.0 (nwserial.inf)\","
                        "\"installed\""),
            std::string::npos)
      << record;
  EXPECT_TRUE(Matching(fs::temp_directory_path(), L"quillon-package-").empty()) << "an extracted package was left";

  // A rescan lists the device with the INF it was given.
  const CliRun list = RunQuillonCli(L"--json list --all", scratch_);
  ASSERT_EQ(list.exitCode, 0u) << list.err;
  std::string listedInf = "(not listed)";
  for (const auto& d : nlohmann::json::parse(list.out)["devices"])
    if (d["instanceId"] == id) listedInf = d["inf"];
  EXPECT_EQ(listedInf, Narrow(published)) << list.out;
}

}  // namespace
