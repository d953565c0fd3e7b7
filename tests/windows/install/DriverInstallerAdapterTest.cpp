// The driver-installation adapter against Wine's setupapi and newdev, on a root
// device made for the test with the hardware id of the sample machine's Northwind
// serial port: the package is published, installed, and the device's driver key
// names its INF afterwards. Wine's DiInstallDriverW is a stub (success, nothing
// done), so only its binding is checked here; what Windows answers is not.
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/DriverInstaller.h"
#include "platform/win32/Adapters.h"
#include "restore/DriverInstall.h"
#include "windows/support/Fixtures.h"
#include "windows/support/InstallTestDevice.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

using win32_test::FixturePath;
using win32_test::FileName;
using win32_test::InstalledPackageCleanup;
using win32_test::kHardwareId;
using win32_test::ReadAll;
using win32_test::RootDevice;
using win32_test::WindowsFolder;

const wchar_t* W(const WString& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
WString U(const std::wstring& s) { return WString(s.begin(), s.end()); }

class SeededDriverInstallerOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!win32_test::FixturesPresent()) GTEST_SKIP() << "fixtures missing: build the linux preset first";
    ports_.drivers = drivers_.get();
  }
  const WString inf_ = FixturePath("installable-package/nwserial/nwserial.inf");
  win32_test::Win32TestPlatform os_;
  std::unique_ptr<ports::IDriverInstaller> drivers_ = win32::MakeDriverInstaller();

 private:
  Platform ports_ = Os();
  ScopedPlatform installed_{ports_};
};

TEST_F(SeededDriverInstallerOnWine, PublishesTheInfAndInstallsItOnTheDeviceWithItsHardwareId) {
  InstalledPackageCleanup cleanup;
  RootDevice device(kHardwareId);
  ASSERT_TRUE(device.DriverValue(L"InfPath").empty()) << "the new device has a driver already";

  restore::DriverInstallation installation;
  const auto published = installation.Publish(inf_);
  ASSERT_TRUE(published.ok()) << text::ToUtf8(published.message);
  cleanup.Published(std::wstring(W(published.publishedInf)));
  EXPECT_EQ(std::filesystem::path(W(published.publishedInf)).parent_path(), WindowsFolder(L"\\inf"));
  EXPECT_EQ(ReadAll(W(published.publishedInf)), ReadAll(W(inf_))) << "the driver store holds another INF";

  const auto installed = installation.InstallOnDevices(U(kHardwareId), inf_);
  ASSERT_TRUE(installed.ok()) << text::ToUtf8(installed.message);
  EXPECT_EQ(device.DriverValue(L"InfPath"), FileName(W(published.publishedInf)));
  EXPECT_EQ(device.DriverValue(L"InfSection"), L"NwSerial_Install");
  EXPECT_TRUE(std::filesystem::exists(WindowsFolder(L"\\system32\\drivers\\nwserial.sys")))
      << "the driver file was not copied";
}

TEST_F(SeededDriverInstallerOnWine, PublishingTheSameInfAgainGivesTheSamePublishedInf) {
  InstalledPackageCleanup cleanup;
  restore::DriverInstallation installation;
  const auto first = installation.Publish(inf_);
  ASSERT_TRUE(first.ok()) << text::ToUtf8(first.message);
  cleanup.Published(std::wstring(W(first.publishedInf)));
  const auto again = installation.Publish(inf_);
  ASSERT_TRUE(again.ok()) << text::ToUtf8(again.message);
  EXPECT_EQ(again.publishedInf, first.publishedInf);

  char16_t destination[MAX_PATH] = {};
  uint32_t required = 0;
  EXPECT_FALSE(drivers_->CopyOEMInf(inf_.c_str(), nullptr, ports::kSpostPath, ports::kSpCopyNoOverwrite, destination,
                                    MAX_PATH, &required));
  EXPECT_EQ(::GetLastError(), ports::kErrorFileExists);
}

TEST_F(SeededDriverInstallerOnWine, AMissingInfIsNamedInTheSystemsWordsAndNothingIsPublished) {
  const WString missing = FixturePath("installable-package/nwserial/missing.inf");
  restore::DriverInstallation installation;
  const auto published = installation.Publish(missing);
  EXPECT_EQ(published.error, DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(published.message.empty());
  EXPECT_TRUE(published.publishedInf.empty());
  EXPECT_FALSE(std::filesystem::exists(WindowsFolder(L"\\inf\\missing.inf")));
}

TEST_F(SeededDriverInstallerOnWine, NewdevEntryPointsAreBoundAtRunTime) {
  // Wine's DiInstallDriverW succeeds without doing anything: this shows only that the
  // entry point was found (a missing one fails with ERROR_PROC_NOT_FOUND).
  ::SetLastError(0);
  bool reboot = true;
  drivers_->DiInstallDriver(0, u"Z:\\nowhere\\none.inf", 0, &reboot);
  EXPECT_NE(::GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_NE(::GetProcAddress(::GetModuleHandleW(L"newdev.dll"), "UpdateDriverForPlugAndPlayDevicesW"), nullptr)
      << "newdev.dll was not loaded by the adapter";
}

TEST(ElevationOnWine, TheTokenIsReadAndANullAnswerIsRefused) {
  auto elevation = win32::MakeElevation();
  bool elevated = false;
  ASSERT_TRUE(elevation->GetTokenElevation(&elevated)) << ::GetLastError();
  // Wine runs every program with an administrator's elevated token.
  EXPECT_TRUE(elevated);
  EXPECT_FALSE(elevation->GetTokenElevation(nullptr));
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

}  // namespace
