// Installing through the driver-installation port: what reaches the port, how
// Windows' answers become texts, and the restart collected over the calls; the
// offline adapters refuse and write nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/DriverInstaller.h"
#include "platform/Errors.h"
#include "platform/SetupApi.h"
#include "platform/offline/OfflinePlatform.h"
#include "restore/DriverInstall.h"
#include "restore/Elevation.h"
#include "support/FixedElevation.h"
#include "support/ScriptedInstaller.h"

namespace {

using restore::DriverInstallation;
using restore::InstallCall;
using restore::InstallErrorText;
using test_support::ScriptedInstaller;

class DriverInstallTest : public ::testing::Test {
 protected:
  DriverInstallTest()
      : machine_(offline::Machine::Load(std::filesystem::path(QUILLON_FIXTURES_DIR) / "sample-machine")) {
    platform_.drivers = &installer;
  }
  ScriptedInstaller installer;

 private:
  offline::OfflinePlatform machine_;
  Platform platform_ = machine_.Ports();
  ScopedPlatform installed_{platform_};
};

TEST_F(DriverInstallTest, PublishGivesThePublishedInfAndAsksAgainWithTheSizeWindowsNeeds) {
  const WString deep = u"C:\\Windows\\INF\\" + WString(300, u'd') + u"\\oem12.inf";
  installer.outcomes = {{0, false, deep}, {0, false, deep}};
  const auto result = DriverInstallation().Publish(u"D:\\kit\\nwserial\\nwserial.inf");
  EXPECT_TRUE(result.ok()) << text::ToUtf8(result.message);
  EXPECT_EQ(result.publishedInf, deep);
  ASSERT_EQ(installer.calls.size(), 2u);
  EXPECT_EQ(installer.calls[0].inf, u"D:\\kit\\nwserial\\nwserial.inf");
  EXPECT_EQ(installer.calls[0].flags, 0u) << "an INF published already is published again, not refused";
  EXPECT_EQ(installer.calls[1].size, deep.size() + 1);
}

TEST_F(DriverInstallTest, InstallOnDevicesNeverPromptsAndForcesOnlyWhenAsked) {
  installer.outcomes = {{}, {}};
  DriverInstallation installation;
  EXPECT_TRUE(installation.InstallOnDevices(u"USB\\VID_1234&PID_5678", u"C:\\t\\nwserial.inf").ok());
  EXPECT_TRUE(installation.InstallOnDevices(u"USB\\VID_1234&PID_5678", u"C:\\t\\nwserial.inf", true).ok());
  ASSERT_EQ(installer.calls.size(), 2u);
  EXPECT_EQ(installer.calls[0].hardwareId, u"USB\\VID_1234&PID_5678");
  EXPECT_EQ(installer.calls[0].flags, ports::kInstallFlagNonInteractive);
  EXPECT_EQ(installer.calls[1].flags, ports::kInstallFlagNonInteractive | ports::kInstallFlagForce);
}

TEST_F(DriverInstallTest, ARestartAskedForByAnyCallStaysAsked) {
  installer.outcomes = {{0, false}, {0, true}, {0, false}, {winapi::kErrorAccessDenied, true}};
  DriverInstallation installation;
  EXPECT_FALSE(installation.InstallOnDevices(u"A", u"a.inf").restartNeeded);
  EXPECT_FALSE(installation.RestartNeeded());
  EXPECT_TRUE(installation.InstallDriver(u"b.inf").restartNeeded);
  EXPECT_FALSE(installation.InstallOnDevices(u"C", u"c.inf").restartNeeded);
  EXPECT_TRUE(installation.RestartNeeded());

  DriverInstallation failedOnly;
  installer.calls.clear();
  installer.outcomes = {{winapi::kErrorAccessDenied, true}};
  EXPECT_FALSE(failedOnly.InstallDriver(u"d.inf").restartNeeded) << "a failed call installed nothing to restart for";
  EXPECT_FALSE(failedOnly.RestartNeeded());
}

TEST_F(DriverInstallTest, FailuresCarryWindowsCodeAndWords) {
  installer.outcomes = {{winapi::kErrorFileNotFound},
                        {winapi::kErrorNoMoreItems},
                        {ports::kErrorNoSuchDevinst},
                        {winapi::kErrorProcNotFound},
                        {winapi::kErrorAccessDenied}};
  DriverInstallation installation;
  const auto missing = installation.Publish(u"x.inf");
  EXPECT_EQ(missing.error, winapi::kErrorFileNotFound);
  EXPECT_EQ(missing.message, u"The system cannot find the file specified");
  EXPECT_TRUE(missing.publishedInf.empty());

  EXPECT_EQ(installation.InstallOnDevices(u"A", u"a.inf").message,
            u"not a better driver than the one the device has (No more data is available)");
  EXPECT_EQ(installation.InstallOnDevices(u"B", u"b.inf").message,
            u"no device with this hardware id is present (error 0xE000020B)");
  EXPECT_EQ(installation.InstallDriver(u"c.inf").message,
            u"this Windows cannot install drivers this way (The specified procedure could not be found)");
  const auto denied = installation.InstallOnDevices(u"D", u"d.inf");
  EXPECT_EQ(denied.error, winapi::kErrorAccessDenied);
  EXPECT_EQ(denied.message, u"installing drivers needs an administrator (Access is denied)");
}

TEST_F(DriverInstallTest, ErrorTextsUseTheSetupServicesMessagesAndTheirMeaningPerCall) {
  offline::RegisterMessageText(0x800F0203u, u"No driver was selected for this device.\r\n");
  EXPECT_EQ(InstallErrorText(InstallCall::UpdateDevices, ports::kErrorNoDriverSelected),
            u"No driver was selected for this device");
  // 259 means "not better" only after UpdateDriverForPlugAndPlayDevicesW.
  EXPECT_EQ(InstallErrorText(InstallCall::Publish, winapi::kErrorNoMoreItems), u"No more data is available");
  EXPECT_EQ(InstallErrorText(InstallCall::Publish, 0xE0000FFFu), u"error 0xE0000FFF");
}

TEST_F(DriverInstallTest, ACallThatFailsWithoutACodeStillFails) {
  struct SilentFailure final : ports::IDriverInstaller {
    bool CopyOEMInf(const char16_t*, const char16_t*, uint32_t, uint32_t, char16_t*, uint32_t, uint32_t*) override {
      offline::SetLastError(0);
      return false;
    }
    bool UpdateDriverForPlugAndPlayDevices(winapi::Handle, const char16_t*, const char16_t*, uint32_t,
                                           bool*) override {
      offline::SetLastError(0);
      return false;
    }
    bool DiInstallDriver(winapi::Handle, const char16_t*, uint32_t, bool*) override { return false; }
  } silent;
  Platform ports = Os();
  ports.drivers = &silent;
  ScopedPlatform scoped(ports);
  const auto result = DriverInstallation().InstallOnDevices(u"A", u"a.inf");
  EXPECT_FALSE(result.ok());
  EXPECT_FALSE(result.message.empty());
}

// An installation read from a folder is never written: every call is refused.
TEST(OfflineDriverInstaller, RefusesAndWritesNothing) {
  const auto sample = std::filesystem::path(QUILLON_FIXTURES_DIR) / "sample-machine";
  const auto infFolder = sample / "C" / "Windows" / "INF";
  const auto countFiles = [&] {
    return std::distance(std::filesystem::directory_iterator(infFolder), std::filesystem::directory_iterator());
  };
  const auto before = countFiles();
  offline::OfflinePlatform machine(offline::Machine::Load(sample));
  ScopedPlatform installed(machine.Ports());
  const WString inf = text::FromPath(infFolder / "oem7.inf");
  DriverInstallation installation;
  const auto published = installation.Publish(inf);
  EXPECT_EQ(published.error, winapi::kErrorNotSupported);
  EXPECT_EQ(published.message, u"The request is not supported");
  EXPECT_EQ(installation.InstallOnDevices(u"USB\\VID_1234&PID_5678", inf).error, winapi::kErrorNotSupported);
  EXPECT_EQ(installation.InstallDriver(inf).error, winapi::kErrorNotSupported);
  EXPECT_FALSE(installation.RestartNeeded());
  EXPECT_EQ(countFiles(), before);
  EXPECT_THROW(restore::ProcessIsElevated(), OSError);
}

TEST(ProcessIsElevated, AnswersFromTheTokenAndNamesAFailureInTheSystemsWords) {
  offline::OfflinePlatform machine(offline::Machine::Load(std::filesystem::path(QUILLON_FIXTURES_DIR) / "sample-machine"));
  Platform ports = machine.Ports();
  ScopedPlatform installed(ports);
  const auto setLastError = [](uint32_t code) { offline::SetLastError(code); };

  test_support::FixedElevation elevated(true, setLastError), limited(false, setLastError),
      unreadable(false, setLastError, winapi::kErrorAccessDenied);
  ports.elevation = &elevated;
  EXPECT_TRUE(restore::ProcessIsElevated());
  ports.elevation = &limited;
  EXPECT_FALSE(restore::ProcessIsElevated());
  ports.elevation = &unreadable;
  try {
    restore::ProcessIsElevated();
    FAIL() << "an unreadable token must raise";
  } catch (const OSError& e) {
    EXPECT_EQ(e.Code(), winapi::kErrorAccessDenied);
    EXPECT_NE(e.Message().find(u"Access is denied"), WString::npos) << text::ToUtf8(e.Message());
  }
}

}  // namespace
