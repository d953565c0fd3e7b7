// restore --json: the choice of a dry run and the outcome of a restore, one
// object per package and device, with the summary and the record.
#include <gtest/gtest.h>

#include "backup/RestorePlan.h"
#include "cli/RestoreJson.h"

namespace {

class RestoreJsonTest : public ::testing::Test {
 protected:
  RestoreJsonTest() {
    backup_.folder = "/backups/pc";
    for (const char16_t* archive : {u"a.zip", u"b.zip"}) {
      backup::BackupPackage package;
      package.archive = archive;
      package.infName = u"nwserial.inf";
      package.version.provider = u"Northwind";
      package.version.version.parts = {3, 8, 27, 0};
      backup_.packages.push_back(package);
    }
    device_.InstanceId = u"USB\\VID_1234&PID_5678\\7&2A&0&1";
    device_.FriendlyName = u"Serial Port (COM3)";
    device_.InfPath = u"oem12.inf";
    device_.ProviderName = u"Northwind";
    device_.DriverVersion = u"2.0.0.0";
    planned_.device = &device_;
    planned_.matchedId = u"USB\\VID_1234&PID_5678";
  }

  backup::BackupContents backup_;
  TDevice device_;
  backup::PlannedDevice planned_;
};

TEST_F(RestoreJsonTest, ADryRunNamesEachDeviceAndPackageWithBothDrivers) {
  // a.zip for no device (--all-packages), b.zip for the device.
  const std::vector<restore::RestoreItem> items = {{0, {}}, {1, {&planned_}}};
  const nlohmann::ordered_json j = cli::RestoreChoiceJson(backup_, items);
  EXPECT_EQ(j["backup"], "/backups/pc");
  EXPECT_EQ(j["dryRun"], true);
  ASSERT_EQ(j["packages"].size(), 2u);
  EXPECT_EQ(j["packages"][0].dump(),
            R"j({"device":null,"package":"a.zip","inf":"nwserial.inf","oldDriver":null,)j"
            R"j("newDriver":"Northwind 3.8.27.0 (nwserial.inf)","matched":null})j");
  EXPECT_EQ(j["packages"][1]["device"], "Serial Port (COM3) (USB\\VID_1234&PID_5678\\7&2A&0&1)");
  EXPECT_EQ(j["packages"][1]["oldDriver"], "Northwind 2.0.0.0 (oem12.inf)");
  EXPECT_EQ(j["packages"][1]["matched"], "USB\\VID_1234&PID_5678");
  EXPECT_FALSE(j.contains("summary"));
}

TEST_F(RestoreJsonTest, AnOutcomeGivesEachRowItsResultAndTheSummaryAndRecord) {
  restore::RestoreOutcome outcome;
  outcome.rows = {{u"Northwind USB Serial Port (USB\\VID_1234&PID_5678\\0001)", u"b.zip",
                   u"Northwind 3.1.0.0 (oem3.inf)", u"Northwind 3.8.27.0 (nwserial.inf)", u"restart needed"},
                  {u"", u"a.zip", u"", u"Northwind 3.8.27.0 (nwserial.inf)", u"not installed: nwserial.sys is missing"}};
  outcome.installed = 1;
  outcome.failures = {u"a.zip: nwserial.sys is missing"};
  outcome.restartNeeded = true;
  const nlohmann::ordered_json j =
      cli::RestoreOutcomeJson(backup_, outcome, 2, "/backups/pc/Quillon-restore-2026_12_10_05_00_00.csv");
  EXPECT_EQ(j["dryRun"], false);
  ASSERT_EQ(j["packages"].size(), 2u);
  EXPECT_EQ(j["packages"][0]["result"], "restart needed");
  EXPECT_EQ(j["packages"][0]["restartNeeded"], true);
  EXPECT_EQ(j["packages"][0]["oldDriver"], "Northwind 3.1.0.0 (oem3.inf)");
  EXPECT_TRUE(j["packages"][1]["device"].is_null());
  EXPECT_TRUE(j["packages"][1]["oldDriver"].is_null());
  EXPECT_EQ(j["packages"][1]["restartNeeded"], false);
  EXPECT_EQ(j["summary"].dump(),
            R"j({"packages":2,"installed":1,"failed":["a.zip: nwserial.sys is missing"],)j"
            R"j("restartNeeded":true,"interrupted":false})j");
  EXPECT_EQ(j["record"], "/backups/pc/Quillon-restore-2026_12_10_05_00_00.csv");
}

}  // namespace
