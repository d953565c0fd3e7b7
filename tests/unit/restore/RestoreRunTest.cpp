// The restore run against a backup folder holding the installable sample package
// (real Zip archives, its real signed catalog, trust read from the signed sample
// machine) and a scripted installation port: what reaches Windows, the rows of
// the record, the packages refused before anything is installed, and the work
// folders below the temporary folder, which are gone afterwards in every case.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "archive/ZipWriter.h"
#include "backup/Sha256.h"
#include "platform/offline/OfflinePlatform.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreText.h"
#include "restore/Staging.h"
#include "support/FixedElevation.h"
#include "support/ScriptedInstaller.h"

namespace {

namespace fs = std::filesystem;
using restore::RestoreItem;
using restore::RestoreOutcome;
using test_support::ScriptedInstaller;

const fs::path kPackage = fs::path(QUILLON_FIXTURES_DIR) / "installable-package" / "nwserial";
const WString kStoreFolder = u"nwserial.inf_amd64_1122334455667788";
const WString kHardwareId = u"USB\\VID_1234&PID_5678";

std::vector<fs::path> Entries(const fs::path& folder) {
  std::vector<fs::path> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) entries.push_back(entry.path());
  return entries;
}

class RestoreRunTest : public ::testing::Test {
 protected:
  RestoreRunTest() : root_(MakeRoot()), machine_(offline::Machine::Load(root_ / "machine")) {
    ports_.drivers = &installer;
    ports_.elevation = &elevation_;
    backup_.folder = root_ / "backup";
    device_.InstanceId = u"USB\\VID_1234&PID_5678\\0001";
    device_.Description = u"Northwind USB Serial Port";
    device_.DriverKey = u"{4d36e978-e325-11ce-bfc1-08002be10318}\\0007";
    device_.ProviderName = u"Northwind";
    device_.DriverVersion = u"3.1.0.0";
    device_.InfPath = u"oem3.inf";
  }
  // A copy of the signed sample machine, whose trust reads only files inside it:
  // the temporary folder lies in there, as it does on a Windows PC.
  static fs::path MakeRoot() {
    const fs::path root = fs::temp_directory_path() / ("quillon-restore-run-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "backup");
    fs::copy(fs::path(QUILLON_FIXTURES_DIR) / "sample-machine", root / "machine", fs::copy_options::recursive);
    fs::create_directories(root / "machine" / "C" / "Temp");
    return root;
  }
  ~RestoreRunTest() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Adds the package as Export All archives it (the store folder on top), with
  // the files the index lists; `extra` entries go into the archive as well.
  backup::BackupPackage& AddPackage(const WString& archive,
                                    const std::vector<std::pair<fs::path, WString>>& extra = {}) {
    archive::TZipWriter zip(text::FromPath(backup_.folder / text::ToPath(archive)), 1);
    backup::BackupPackage package;
    package.archive = archive;
    package.format = u"zip";
    package.storeFolder = kStoreFolder;
    package.infName = u"nwserial.inf";
    package.catalog = u"nwserial.cat";
    package.version.provider = u"Northwind";
    package.version.version.parts = {3, 8, 27, 0};
    for (const char* name : {"nwserial.inf", "nwserial.sys", "nwserial.cat"}) {
      zip.AddFile(text::FromPath(kPackage / name), kStoreFolder + u"/" + text::W(name));
      package.files.push_back({text::W(name), fs::file_size(kPackage / name), backup::Sha256OfFile(kPackage / name)});
    }
    for (const auto& [file, name] : extra) zip.AddFile(text::FromPath(file), name);
    zip.Close();
    backup_.packages.push_back(std::move(package));
    return backup_.packages.back();
  }

  // The plan: the device gets package `package`.
  void PlanDevice(size_t package) {
    backup::PlannedDevice planned;
    planned.device = &device_;
    planned.hasDriver = true;
    planned.choice = backup::PlanChoice::WouldInstall;
    planned.package = package;
    planned.modelLine = 0;
    planned.matchedId = kHardwareId;
    plan_.devices.push_back(planned);
  }

  fs::path Temp() const { return root_ / "machine" / "C" / "Temp"; }

  RestoreOutcome Run(const std::vector<RestoreItem>& items) {
    return restore::RunRestore(backup_, items, {Temp(), WString(), &cancel_});
  }
  std::vector<RestoreItem> Chosen(bool allPackages = false) {
    return restore::ChooseRestore(backup_, plan_, {}, allPackages);
  }

  fs::path root_;
  ScriptedInstaller installer;
  backup::BackupContents backup_;
  backup::RestorePlan plan_;
  TDevice device_;
  backup::TCancelFlag cancel_{false};
  test_support::FixedElevation elevation_{true, [](uint32_t code) { offline::SetLastError(code); }};

 private:
  offline::OfflinePlatform machine_;
  Platform ports_ = machine_.Ports();
  ScopedPlatform installed_{ports_};
};

TEST_F(RestoreRunTest, PublishesAndInstallsTheExtractedInfForTheMatchedIdThenRemovesItsFolder) {
  AddPackage(u"Northwind-serial.zip");
  PlanDevice(0);
  installer.outcomes = {{0, false, u"C:\\Windows\\INF\\oem12.inf"}, {}};
  const RestoreOutcome outcome = Run(Chosen());

  ASSERT_EQ(installer.calls.size(), 2u);
  const WString inf = installer.calls[0].inf;
  const fs::path extracted = text::ToPath(inf);
  EXPECT_EQ(extracted.parent_path().parent_path().parent_path(), Temp());
  EXPECT_EQ(extracted.parent_path().filename(), text::ToPath(kStoreFolder));
  EXPECT_EQ(installer.calls[1].inf, inf) << "the devices get the INF beside its files";
  EXPECT_EQ(installer.calls[1].hardwareId, kHardwareId);
  EXPECT_TRUE(outcome.failures.empty()) << text::ToUtf8(outcome.failures.front());
  EXPECT_EQ(outcome.installed, 1u);
  EXPECT_FALSE(outcome.restartNeeded);
  ASSERT_EQ(outcome.rows.size(), 1u);
  EXPECT_EQ(outcome.rows[0].device, u"Northwind USB Serial Port (USB\\VID_1234&PID_5678\\0001)");
  EXPECT_EQ(outcome.rows[0].package, u"Northwind-serial.zip");
  EXPECT_EQ(outcome.rows[0].oldDriver, u"Northwind 3.1.0.0 (oem3.inf)");
  EXPECT_EQ(outcome.rows[0].newDriver, u"Northwind 3.8.27.0 (nwserial.inf)");
  EXPECT_EQ(outcome.rows[0].result, u"installed");
  EXPECT_TRUE(Entries(Temp()).empty());
}

TEST_F(RestoreRunTest, WindowsAnswersPerDeviceBecomeVerdictsAndARestartIsToldOnce) {
  AddPackage(u"a.zip");
  PlanDevice(0);
  TDevice second = device_, third = device_;
  second.InstanceId += u"2";
  third.InstanceId += u"3";
  PlanDevice(0);
  plan_.devices.back().device = &second;
  PlanDevice(0);
  plan_.devices.back().device = &third;
  installer.outcomes = {{0, false, u"C:\\Windows\\INF\\oem12.inf"},
                        {0, true},
                        {winapi::kErrorNoMoreItems},
                        {winapi::kErrorAccessDenied}};
  const RestoreOutcome outcome = Run(Chosen());
  ASSERT_EQ(outcome.rows.size(), 3u);
  EXPECT_EQ(outcome.rows[0].result, u"restart needed");
  EXPECT_EQ(outcome.rows[1].result, u"not a better driver");
  EXPECT_EQ(outcome.rows[2].result.rfind(u"failed: installing drivers needs an administrator", 0), 0u)
      << text::ToUtf8(outcome.rows[2].result);
  EXPECT_TRUE(outcome.restartNeeded);
  EXPECT_EQ(outcome.installed, 0u);
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_NE(outcome.failures[0].find(u"a.zip: Northwind USB Serial Port (USB\\VID_1234&PID_5678\\00013)"),
            WString::npos) << text::ToUtf8(outcome.failures[0]);
}

TEST_F(RestoreRunTest, APackageNotPublishedIsNotInstalledOnItsDevices) {
  AddPackage(u"a.zip");
  PlanDevice(0);
  installer.outcomes = {{ports::kErrorNoCatalogForOemInf}};
  const RestoreOutcome outcome = Run(Chosen());
  EXPECT_EQ(installer.calls.size(), 1u);
  ASSERT_EQ(outcome.rows.size(), 1u);
  EXPECT_EQ(outcome.rows[0].result.rfind(u"failed: ", 0), 0u);
  EXPECT_EQ(outcome.failures.size(), 1u);
}

TEST_F(RestoreRunTest, AllPackagesStagesThoseNoDeviceNeedsInTheDriverStore) {
  AddPackage(u"a.zip");
  AddPackage(u"b.zip");
  PlanDevice(1);
  const auto items = Chosen(true);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_TRUE(items[0].devices.empty());
  EXPECT_EQ(restore::ChosenDevices(items), 1u);
  installer.outcomes = {{0, false, u"C:\\Windows\\INF\\oem12.inf"}, {0, false, u"C:\\Windows\\INF\\oem13.inf"}, {}};
  const RestoreOutcome outcome = Run(items);
  ASSERT_EQ(installer.calls.size(), 3u);
  EXPECT_TRUE(installer.calls[1].hardwareId.empty()) << "the second package is published before it installs";
  EXPECT_EQ(installer.calls[2].hardwareId, kHardwareId);
  ASSERT_EQ(outcome.rows.size(), 2u);
  EXPECT_EQ(outcome.rows[0].device, u"");
  EXPECT_EQ(outcome.rows[0].result, u"staged in the driver store as C:\\Windows\\INF\\oem12.inf");
  EXPECT_EQ(outcome.installed, 2u);
}

TEST_F(RestoreRunTest, ChoosesOnlyWouldInstallDevicesAndTheNamedOnes) {
  AddPackage(u"a.zip");
  PlanDevice(0);
  PlanDevice(0);
  plan_.devices.back().choice = backup::PlanChoice::HasEqualOrBetter;
  EXPECT_EQ(restore::ChosenDevices(Chosen()), 1u);
  EXPECT_EQ(restore::ChooseRestore(backup_, plan_, {u"usb\\vid_1234&pid_5678\\0001"}, false).size(), 1u)
      << "instance ids are compared ignoring letter case";
  EXPECT_THROW(restore::ChooseRestore(backup_, plan_, {u"PCI\\NOPE\\1"}, false), QuillonError);
}

TEST_F(RestoreRunTest, AChangedFileOrOneTheCatalogDoesNotListIsNotInstalled) {
  AddPackage(u"changed.zip").files[1].sha256 = std::string(64, '0');
  const fs::path extra = root_ / "readme.txt";
  std::ofstream(extra) << "not in the catalog";
  AddPackage(u"unlisted.zip", {{extra, kStoreFolder + u"/readme.txt"}});
  PlanDevice(0);
  PlanDevice(1);
  const RestoreOutcome outcome = Run(Chosen());
  EXPECT_TRUE(installer.calls.empty());
  ASSERT_EQ(outcome.failures.size(), 2u);
  EXPECT_EQ(outcome.failures[0], u"changed.zip: nwserial.sys is not the file that was exported (its SHA-256 differs)");
  EXPECT_EQ(outcome.failures[1].rfind(u"unlisted.zip: readme.txt: ", 0), 0u) << text::ToUtf8(outcome.failures[1]);
  EXPECT_EQ(outcome.rows[0].result.rfind(u"not installed: ", 0), 0u);
  EXPECT_TRUE(Entries(Temp()).empty());
}

TEST_F(RestoreRunTest, AnArchiveWithADotDotEntryIsRefusedAndNothingIsWrittenOutside) {
  const fs::path extra = root_ / "payload.txt";
  std::ofstream(extra) << "outside";
  AddPackage(u"evil.zip", {{extra, u"../../escaped.txt"}});
  PlanDevice(0);
  const auto before = Entries(root_);
  const RestoreOutcome outcome = Run(Chosen());
  EXPECT_TRUE(installer.calls.empty());
  ASSERT_EQ(outcome.failures.size(), 1u);
  EXPECT_NE(outcome.failures[0].find(u"evil.zip"), WString::npos);
  EXPECT_EQ(Entries(root_), before);
}

TEST_F(RestoreRunTest, NotElevatedStopsBeforeAnythingIsDone) {
  AddPackage(u"a.zip");
  PlanDevice(0);
  elevation_ = test_support::FixedElevation(false, [](uint32_t code) { offline::SetLastError(code); });
  EXPECT_THROW(Run(Chosen()), restore::NotElevatedError);
  EXPECT_TRUE(installer.calls.empty());
  EXPECT_TRUE(Entries(Temp()).empty());
}

TEST_F(RestoreRunTest, AStopRequestLeavesTheRemainingPackagesOut) {
  AddPackage(u"a.zip");
  PlanDevice(0);
  cancel_ = true;
  const RestoreOutcome outcome = Run(Chosen());
  EXPECT_TRUE(installer.calls.empty());
  EXPECT_TRUE(outcome.interrupted);
  ASSERT_EQ(outcome.rows.size(), 1u);
  EXPECT_EQ(outcome.rows[0].result, u"interrupted: not started");
}

TEST_F(RestoreRunTest, StagingPutsWholePackagesIntoTheKitAndNamesTheOthers) {
  AddPackage(u"a.zip");
  AddPackage(u"changed.zip").files[0].size = 1;
  AddPackage(u"again.zip");  // the same store folder as a.zip
  const fs::path kit = root_ / "kit";
  const restore::StageOutcome outcome = restore::StageBackup(backup_, {0, 1, 2}, kit, WString());
  ASSERT_EQ(outcome.staged.size(), 1u);
  EXPECT_EQ(outcome.staged[0].folder, kStoreFolder);
  ASSERT_EQ(outcome.failures.size(), 2u);
  EXPECT_EQ(outcome.failures[0].rfind(u"changed.zip: nwserial.inf has ", 0), 0u) << text::ToUtf8(outcome.failures[0]);
  EXPECT_NE(outcome.failures[1].find(u"is there already"), WString::npos) << text::ToUtf8(outcome.failures[1]);
  EXPECT_EQ(backup::Sha256OfFile(kit / text::ToPath(kStoreFolder) / "nwserial.sys"),
            backup::Sha256OfFile(kPackage / "nwserial.sys"));
  std::vector<fs::path> top;
  for (const auto& entry : fs::directory_iterator(kit)) top.push_back(entry.path().filename());
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (std::vector<fs::path>{"README.txt", "install-drivers.cmd", text::ToPath(kStoreFolder)}));
}

}  // namespace

namespace {

TEST_F(RestoreRunTest, ABackupFolderReadAsItIsRestoresAndStagesLikeItsIndex) {
  AddPackage(u"Northwind-serial.zip");
  const backup::BackupContents read = backup::ReadBackup(backup_.folder, WString());
  ASSERT_EQ(read.packages.size(), 1u);
  EXPECT_EQ(read.packages[0].storeFolder, kStoreFolder);
  backup_ = read;
  PlanDevice(0);
  installer.outcomes = {{0, false, u"C:\\Windows\\INF\\oem12.inf"}, {}};
  const RestoreOutcome outcome = Run(Chosen());
  EXPECT_TRUE(outcome.failures.empty()) << text::ToUtf8(outcome.failures.front());
  EXPECT_EQ(installer.calls.size(), 2u);

  const restore::StageOutcome staged = restore::StageBackup(backup_, {0}, root_ / "kit", WString());
  EXPECT_TRUE(staged.failures.empty());
  EXPECT_TRUE(fs::is_regular_file(root_ / "kit" / text::ToPath(kStoreFolder) / "nwserial.cat"));
}

TEST_F(RestoreRunTest, TheWordsNameThePackagesDevicesFailuresAndTheRestart) {
  AddPackage(u"a.zip");
  AddPackage(u"b.zip");
  PlanDevice(1);
  const auto items = Chosen(true);
  EXPECT_EQ(restore::ConfirmationText(items), u"Install 2 driver packages on 1 device?");
  EXPECT_EQ(restore::ChoiceLines(backup_, items),
            (WStringList{u"a.zip (nwserial.inf, 3.8.27.0): into the driver store, for devices not plugged in yet",
                         u"Northwind USB Serial Port (USB\\VID_1234&PID_5678\\0001): b.zip (nwserial.inf, 3.8.27.0, "
                         u"matched USB\\VID_1234&PID_5678)"}));
  RestoreOutcome outcome;
  outcome.installed = 1;
  outcome.failures = {u"a.zip: nwserial.sys is missing"};
  outcome.restartNeeded = true;
  EXPECT_EQ(restore::ResultText(outcome, 2),
            u"Installed 1 of 2 driver packages.\n1 failed:\n  a.zip: nwserial.sys is missing\n"
            u"Windows must restart to finish installing the drivers.");
}

}  // namespace
