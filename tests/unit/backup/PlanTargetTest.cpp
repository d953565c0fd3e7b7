// What plan reads of the machine beside the devices: the target Windows (version,
// architecture, product type) and each device's whole identifier lists.
#include <fstream>

#include "backup/CurrentDriver.h"
#include "backup/DeviceIdLists.h"
#include "backup/TargetWindows.h"
#include "tests/unit/backup/BackupMachine.h"

namespace backuptest {
namespace {

using PlanTarget = BackupMachine;

// The target of a fabricated machine whose registry holds `keys` (.reg text).
backup::TargetWindows TargetOf(const std::string& keys, const std::string& windowsVersion) {
  const fs::path folder = fs::temp_directory_path() / "quillon-plan-target";
  fs::remove_all(folder);
  fs::create_directories(folder / "C");
  std::ofstream(folder / "registry.reg") << "Windows Registry Editor Version 5.00\r\n\r\n" << keys;
  std::ofstream(folder / "machine.ini") << "[machine]\r\nWindowsVersion=" << windowsVersion << "\r\n";
  backup::TargetWindows target;
  {
    offline::OfflinePlatform platform(offline::Machine::Load(folder));
    const ScopedPlatform installed(platform.Ports());
    target = backup::ReadTargetWindows();
  }
  fs::remove_all(folder);
  return target;
}

TEST_F(PlanTarget, TheSampleInstallationsHivesTellTheTarget) {
  Start("sample-installation");
  const backup::TargetWindows target = backup::ReadTargetWindows();
  EXPECT_EQ(target.assumed, WStringList());
  EXPECT_EQ(backup::Describe(target.os), u"amd64, Windows 10.0 build 19045, workstation");
}

TEST_F(PlanTarget, AServerOnArm64WithALaterBuild) {
  const backup::TargetWindows target = TargetOf(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\ProductOptions]\r\n\"ProductType\"=\"ServerNT\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\r\n"
      "\"PROCESSOR_ARCHITECTURE\"=\"ARM64\"\r\n",
      "10.0.26100");
  EXPECT_EQ(target.assumed, WStringList());
  EXPECT_EQ(backup::Describe(target.os), u"arm64, Windows 10.0 build 26100, server");
}

TEST_F(PlanTarget, WhatTheMachineDoesNotRecordIsTakenAsAnAmd64WorkstationAndSaidSo) {
  const backup::TargetWindows target = TargetOf(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\r\n"
      "\"PROCESSOR_ARCHITECTURE\"=\"IA64\"\r\n",
      "6.1.7601");
  EXPECT_EQ(backup::Describe(target.os), u"amd64, Windows 6.1 build 7601, workstation");
  ASSERT_EQ(target.assumed.size(), 2u);
  EXPECT_NE(target.assumed[0].find(u"PROCESSOR_ARCHITECTURE \"IA64\""), WString::npos);
  EXPECT_NE(target.assumed[1].find(u"ProductType \"\""), WString::npos);
}

TEST_F(PlanTarget, AHardwareIdListLongerThanTheScansBufferIsReadWhole) {
  Start("sample-installation");
  TDeviceList all = backup::ScanAllDevices();
  auto tailspin = std::find_if(all.begin(), all.end(), [](const TDevice& d) { return d.InstanceId == kTailspin; });
  ASSERT_NE(tailspin, all.end());
  const WString scanned = tailspin->HWID;
  backup::ReadWholeIdLists(all);
  const inf::DeviceIds ids = backup::IdsOf(*tailspin);
  ASSERT_EQ(ids.hardwareIds.size(), 24u);  // the scan's record holds fewer (or none)
  EXPECT_LT(scanned.size(), tailspin->HWID.size());
  EXPECT_EQ(ids.hardwareIds.front(), u"ROOT\\TAILSPINSENSOR&SUBFUNCTION_00&REV_0001");
  EXPECT_EQ(ids.hardwareIds.back(), u"ROOT\\TAILSPINSENSOR&SUBFUNCTION_23&REV_0001");
  EXPECT_EQ(ids.compatibleIds, WStringList{u"ROOT\\TAILSPINSENSOR"});
  // Lists that fit are what the scan read.
  for (const TDevice& device : all) {
    if (device.InstanceId == u"ROOT\\LITAUDIO\\0000") {
      EXPECT_EQ(device.HWID, u"ROOT\\LitAudio");
    }
  }
}

}  // namespace
}  // namespace backuptest
