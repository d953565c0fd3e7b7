// quillon-cli.exe restore under Wine: a root device made for the test with the
// installable sample package's hardware id, and a backup that `quillon
// export-all` wrote (fixtures/installable-backup). --dry-run names the package the
// plan chose for the device and leaves the registry and C:\windows\inf as they
// were. Wine's catalog member lookup is a stub, so the package fails its check
// there: restore must then install nothing, name the package with why, record it
// and leave no extracted folder. Installing a package onto such a device is
// tested on the adapter (tests/windows/install).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>


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

TEST_F(SeededRestoreOnWine, DryRunChangesNothingAndAPackageWineCannotVerifyIsNotInstalled) {
  win32_test::InstalledPackageCleanup cleanup;  // should Wine install it after all
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
  EXPECT_TRUE(SystemHive(scratch_) == hiveBefore) << "the dry run changed HKLM\\SYSTEM";
  EXPECT_EQ(InfFolder(), infBefore);
  EXPECT_TRUE(Matching(Backup(), L"Quillon-restore-").empty()) << "a dry run writes no record";
  EXPECT_TRUE(device.DriverValue(L"InfPath").empty());

  // Wine's CryptCATGetMemberInfo is a stub that finds no member: every package
  // fails its check there (on Windows the catalog lists the INF and the driver),
  // so under Wine the restore must refuse it, install nothing and say why.
  const std::vector<fs::path> leftBefore = Matching(fs::temp_directory_path(), L"quillon-package-");
  const CliRun restored = RunQuillonCli(L"restore " + BackupArgument(), scratch_);
  EXPECT_EQ(restored.exitCode, 1u) << restored.out << restored.err;
  const std::string refused = "Northwind USB Serial Port_3.8.27.0.Zip: not installed: nwserial.inf: File not found in "
                              "the catalog";
  EXPECT_NE(restored.out.find(id + "): " + refused + "\n"), std::string::npos) << restored.out;
  EXPECT_NE(restored.out.find("Installed 0 of 1 driver package.\n1 failed:\n"), std::string::npos) << restored.out;
  EXPECT_TRUE(device.DriverValue(L"InfPath").empty());
  EXPECT_EQ(InfFolder(), infBefore);
  // Wine keeps the extracted catalog open after the checks (on Windows it is
  // closed and the folder removed): a folder left behind is named, never silently.
  for (const fs::path& left : Matching(fs::temp_directory_path(), L"quillon-package-"))
    if (std::find(leftBefore.begin(), leftBefore.end(), left) == leftBefore.end()) EXPECT_NE(restored.err.find(left.filename().string() + " could not be removed"), std::string::npos)
        << restored.err;

  const std::vector<fs::path> records = Matching(Backup(), L"Quillon-restore-");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(restored.out.find("Record: " + records[0].string() + "\n"), std::string::npos) << restored.out;
  const std::string record = win32_test::ReadAll(records[0].wstring());
  EXPECT_NE(record.find(id + ")\",\"Northwind USB Serial Port_3.8.27.0.Zip\",\"\",\"Northwind 3.8.27.0 (nwserial.inf)\","
                        "\"not installed: nwserial.inf: File not found in the catalog\""),
            std::string::npos)
      << record;

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
