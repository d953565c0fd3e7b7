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
#include "windows/support/Win32TestPlatform.h"

namespace {

using win32_test::FixturePath;

const wchar_t* W(const WString& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
WString U(const std::wstring& s) { return WString(s.begin(), s.end()); }

// The Ports class of the sample package's [Version].
const GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const wchar_t kHardwareId[] = L"USB\\VID_1234&PID_5678";
const wchar_t kService[] = L"nwserial";

// A device registered below ROOT for the test, with one hardware id; removed at the end.
class RootDevice {
 public:
  explicit RootDevice(const std::wstring& hardwareId) {
    set_ = ::SetupDiCreateDeviceInfoList(&kPortsClass, nullptr);
    if (set_ == INVALID_HANDLE_VALUE) throw std::runtime_error("SetupDiCreateDeviceInfoList failed");
    data_.cbSize = sizeof data_;
    const std::wstring instance = L"ROOT\\QUILLONRESTORETEST\\" + std::to_wstring(::GetCurrentProcessId());
    if (!::SetupDiCreateDeviceInfoW(set_, instance.c_str(), &kPortsClass, nullptr, nullptr, 0, &data_))
      throw std::runtime_error("SetupDiCreateDeviceInfoW failed: " + std::to_string(::GetLastError()));
    std::wstring ids = hardwareId + L'\0' + L'\0';
    if (!::SetupDiSetDeviceRegistryPropertyW(set_, &data_, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(ids.data()),
                                             DWORD(ids.size() * sizeof(wchar_t))))
      throw std::runtime_error("SPDRP_HARDWAREID not set: " + std::to_string(::GetLastError()));
    if (!::SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set_, &data_))
      throw std::runtime_error("DIF_REGISTERDEVICE failed: " + std::to_string(::GetLastError()));
    registered_ = true;
  }
  ~RootDevice() {
    if (registered_) ::SetupDiRemoveDevice(set_, &data_);
    ::SetupDiDestroyDeviceInfoList(set_);
  }
  RootDevice(const RootDevice&) = delete;
  RootDevice& operator=(const RootDevice&) = delete;

  // A value of the device's driver key; empty when the key or the value is missing.
  std::wstring DriverValue(const wchar_t* name) const {
    HKEY key = ::SetupDiOpenDevRegKey(set_, const_cast<SP_DEVINFO_DATA*>(&data_), DICS_FLAG_GLOBAL, 0, DIREG_DRV,
                                      KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value - sizeof(wchar_t), type = 0;
    const LONG rc = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : std::wstring();
  }

 private:
  HDEVINFO set_ = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA data_{};
  bool registered_ = false;
};

std::wstring FileName(const std::wstring& path) { return std::filesystem::path(path).filename().wstring(); }

std::string ReadAll(const std::wstring& file) {
  std::ifstream in(file.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::wstring WindowsFolder(const wchar_t* below) {
  wchar_t windows[MAX_PATH];
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows) + below;
}

// What an installation leaves in the prefix: the published INF (with its .pnf and
// catalog), the copied driver and its service. Removed at the end, so that the
// shared prefix looks as before to the tests that run after these (a Seeded* suite
// runs alone, so no scan sees the device come and go).
class InstalledPackageCleanup {
 public:
  void Published(const std::wstring& inf) { published_ = inf; }
  ~InstalledPackageCleanup() {
    std::error_code ec;
    if (!published_.empty()) {
      ::SetupUninstallOEMInfW(FileName(published_).c_str(), SUOI_FORCEDELETE, nullptr);
      // Wine leaves the precompiled INF and the catalog it copied.
      std::filesystem::remove(std::filesystem::path(published_).replace_extension(L".pnf"), ec);
      for (const std::wstring& catalog : {std::wstring(L"nwserial.cat"),
                                          std::filesystem::path(FileName(published_)).replace_extension(L".cat").wstring()})
        std::filesystem::remove(WindowsFolder(L"\\system32\\catroot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\") + catalog,
                                ec);
    }
    std::filesystem::remove(WindowsFolder(L"\\system32\\drivers\\nwserial.sys"), ec);
    if (SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
      if (SC_HANDLE service = ::OpenServiceW(manager, kService, DELETE)) {
        ::DeleteService(service);
        ::CloseServiceHandle(service);
      }
      ::CloseServiceHandle(manager);
    }
  }

 private:
  std::wstring published_;
};

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
