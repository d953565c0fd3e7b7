// plan BACKUP: the sample installation's own export-all planned against that
// installation and against a second one with other hardware and older drivers
// (tests/fixtures/gen-43-plan-installation).
#include <sstream>

#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

class CliPlan : public CliTest {
 protected:
  // quillon plan BACKUP against the generated installation `installation` (read, never written).
  RunResult Plan(const std::string& installation, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--windows", (fs::path(QUILLON_FIXTURES_DIR) / installation).string()};
    args.insert(args.end(), more.begin(), more.end());
    args.insert(args.end(), {"plan", Backup().string()});
    return QuillonBare(args);
  }
  static nlohmann::json Northwind(const nlohmann::json& plan) {
    for (const auto& device : plan["devices"])
      if (device["instanceId"] == "USB\\VID_1234&PID_5678\\NW0001") return device;
    ADD_FAILURE() << "no Northwind device in the plan";
    return nlohmann::json();
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);) lines.push_back(line);
    return lines;
  }
};

TEST_F(CliPlan, TheSampleInstallationsOwnBackupHasNothingBetterForItsDevices) {
  const RunResult r = Plan("sample-installation");
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  EXPECT_EQ(lines.front(), "Plan for amd64, Windows 10.0 build 19045, workstation");
  EXPECT_EQ(lines[1], "PCI Device (PCI\\VEN_1B21&DEV_1242&SUBSYS_86751043&REV_00\\4&3ad2b7b&0&00E5): "
                      "no driver in the backup");  // the one device without a driver comes first
  EXPECT_EQ(lines.back(), "covers 7 of 13 devices; 1 have no driver");

  const nlohmann::json plan = Json(Plan("sample-installation", {"--json"}));
  EXPECT_EQ(plan["fromIndex"], true);  // export-all wrote the backup index beside the archives
  std::set<std::string> archives;
  for (const auto& device : plan["devices"]) {
    if (device["best"].is_null()) continue;
    EXPECT_EQ(device["choice"], "has an equal or better driver") << device.dump();
    archives.insert(device["best"]["archive"].get<std::string>());
  }
  // Every archive of the backup serves its own device.
  std::set<std::string> written;
  for (const auto& entry : fs::directory_iterator(Backup()))
    if (entry.path().extension() == ".7z") written.insert(entry.path().filename().string());
  EXPECT_EQ(archives, written);
  EXPECT_EQ(plan["covered"], 7);
  EXPECT_EQ(plan["present"], 13);
}

TEST_F(CliPlan, AnotherInstallationGetsTheNewerDriversByHardwareIdAndNoWindows11OnlyDriver) {
  const RunResult r = Plan("plan-installation");
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  const std::vector<std::string> withoutDriver(lines.begin() + 1, lines.begin() + 4);
  EXPECT_EQ(withoutDriver, (std::vector<std::string>{
      // Only fabnet.inf's NTamd64.10.0...22000 section names it: Windows 10 passes it over.
      "Ethernet Controller (PCI\\VEN_8086&DEV_125C&SUBSYS_88671043&REV_04\\4&2b3c4d5e&0&00E0): "
      "no driver in the backup",
      "PCI Device (PCI\\VEN_1B21&DEV_1242&SUBSYS_86751043&REV_00\\4&3ad2b7b&0&00E5): no driver in the backup",
      // A compatible id alone is enough where nothing better matches.
      "Vendor Function (USB\\VID_CAFE&PID_0002\\5&3f0a1b2c&0&2): would install Contoso Filter Device_5.1.0.0.7z "
      "(confilter.inf, 5.1.0.0, matched USB\\Class_FF&SubClass_00)"}));
  const auto has = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("Fabrikam Ethernet Connection (PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_00\\3&11583659&0&FE): "
                  "would install Fabrikam Ethernet Connection_12.19.2.45.7z (fabnet.inf, 12.19.2.45, "
                  "matched PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_00)")) << r.out;
  // nwserial's hardware id match (2020) outranks confilter's newer compatible id match (2024).
  EXPECT_TRUE(has("Northwind USB Serial Port (COM3) (USB\\VID_1234&PID_5678\\NW0001): would install "
                  "Northwind USB Serial Port_3.8.27.0.7z (nwserial.inf, 3.8.27.0, matched USB\\VID_1234&PID_5678)"))
      << r.out;
  // Its 2.5.0.0 of 2023 is newer than the backup's 2.4.0.7.
  EXPECT_TRUE(has("Litware Virtual Audio 1 (ROOT\\LITAUDIO\\0000): has an equal or better driver")) << r.out;
  EXPECT_EQ(lines.back(), "covers 7 of 14 devices; 3 have no driver");

  // Read through the backup index, which records nwserial as signed at export.
  const nlohmann::json plan = Json(Plan("plan-installation", {"--json"}));
  EXPECT_EQ(plan["fromIndex"], true);
  EXPECT_EQ(Northwind(plan)["best"]["rank"], "0x00FF0001");  // trusted, its second hardware id
  EXPECT_EQ(Northwind(plan)["current"]["rank"], "0x00FF0001");
  EXPECT_EQ(Northwind(plan)["current"]["version"], "3.0.0.0");
  EXPECT_EQ(plan["target"]["build"], 19045);
  EXPECT_EQ(plan["target"]["assumed"], nlohmann::json::array());

  // Without the index the archives are read: the signature is unknown, weighed as
  // alike against the current driver, and the choices stay.
  for (const auto& entry : fs::directory_iterator(Backup()))
    if (entry.path().filename().string().rfind("Quillon-index-", 0) == 0)
      fs::rename(entry.path(), Root() / entry.path().filename());
  const nlohmann::json archives = Json(Plan("plan-installation", {"--json"}));
  EXPECT_EQ(archives["fromIndex"], false);
  EXPECT_EQ(Northwind(archives)["best"]["rank"], "0xFFFF0001");
  EXPECT_EQ(Northwind(archives)["choice"], "would install");
  EXPECT_EQ(Lines(Plan("plan-installation").out), lines);
}

TEST_F(CliPlan, AFolderWithoutArchivesOrNoFolderIsAClearError) {
  fs::create_directories(Root() / "empty");
  RunResult r = QuillonBare({"--windows", Machine().string(), "plan", (Root() / "empty").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("holds no .7z or .Zip archive"), std::string::npos) << r.err;
  r = QuillonBare({"--windows", Machine().string(), "plan", (Root() / "nowhere").string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("is no folder"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace clitest
