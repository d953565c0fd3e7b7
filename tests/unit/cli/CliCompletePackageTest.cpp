// A package is whole only when its folder holds every file its INF needs: the
// sample installation's Northwind package made whole (an INF with its file
// sections, a catalog over every file), then with its driver file deleted.
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

const std::string kSerial = "USB\\VID_1234&PID_5678\\NW0001";
const std::string kSerialPackage = "nwserial.inf_amd64_1122334455667788";
const std::string kSerialArchive = "Northwind USB Serial Port_3.8.27.0.7z";
const std::string kMissingCheck =
    "File       : nwserial.sys\nTrust      : Failed\nError      : File not found: x64\\nwserial.sys\n";

// The amd64 files lie in x64\ (a sub-folder of their disk); the arm64 driver, in
// arm64\, is listed by the catalog but not kept in this amd64 store folder.
const char kWholeInf[] = R"(; nwserial.inf
[Version]
Signature="$WINDOWS NT$"
Class=Ports
ClassGuid={4D36E978-E325-11CE-BFC1-08002BE10318}
Provider=%ProviderName%
DriverVer=01/10/2020,3.8.27.0
CatalogFile=nwserial.cat

[SourceDisksNames.amd64]
1=%DiskName%,,,x64

[SourceDisksNames.arm64]
2=%DiskName%,,,arm64

[SourceDisksFiles.amd64]
nwserial.sys=1
nwcoinst.dll=1

[SourceDisksFiles.arm64]
nwserial.sys=2

[Manufacturer]
%ProviderName%=Models,NTamd64,NTarm64

[Models.NTamd64]
%DeviceDesc%=NwSerial_Install,USB\VID_1234&PID_5678

[Models.NTarm64]
%DeviceDesc%=NwSerial_Install,USB\VID_1234&PID_5678

[NwSerial_Install.NT]
CopyFiles=NwSerial_CopyFiles

[NwSerial_CopyFiles]
nwserial.sys
nwcoinst.dll

[Strings]
ProviderName="Northwind"
DiskName="Northwind Driver Disk"
DeviceDesc="Northwind USB Serial Port"
)";

class CompletePackage : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    const fs::path folder = StoreFolder(kSerialPackage);
    e2e::WriteFile(folder / "nwserial.inf", kWholeInf);
    fs::create_directories(folder / "arm64");
    e2e::WriteFile(folder / "arm64/nwserial.sys", "an arm64 driver");
    const RunResult signedAgain = e2e::RunProgram(
        std::string(QUILLON_SOURCE_DIR) + "/tests/fixtures/sign-package",
        {(fs::path(QUILLON_FIXTURES_DIR) / "signing/pki").string(), (folder / "nwserial.cat").string(),
         (folder / "nwserial.inf").string(), (folder / "x64/nwserial.sys").string(),
         (folder / "x64/nwcoinst.dll").string(), (folder / "arm64/nwserial.sys").string()},
        Scratch());
    ASSERT_EQ(signedAgain.exitCode, 0) << signedAgain.err;
    fs::remove_all(folder / "arm64");
  }
  void RemoveTheDriverFile() { ASSERT_TRUE(fs::remove(StoreFolder(kSerialPackage) / "x64/nwserial.sys")); }
};

TEST_F(CompletePackage, AWholePackageVerifiesThoughItsCatalogListsAnotherPlatformsFile) {
  const RunResult r = Quillon({"verify", kSerial});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out.find("File not found"), std::string::npos) << r.out;
}

TEST_F(CompletePackage, ADeletedDriverFileFailsVerificationNamingItInTheShellLogAndTheCommandLine) {
  RemoveTheDriverFile();
  const RunResult r = Quillon({"verify", kSerial});
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_NE(r.out.find(kMissingCheck), std::string::npos) << r.out;

  const RunResult window = Headless({"select", kSerial, "verify", "log"});
  EXPECT_NE(window.out.find(kMissingCheck), std::string::npos) << window.out;
  EXPECT_TRUE(window.Has("[error] Verify completed with errors. See Shell output for details.")) << window.out;
}

TEST_F(CompletePackage, ExportDriverRefusesAnIncompletePackageAndWritesNothing) {
  RemoveTheDriverFile();
  const fs::path window = Root() / "window";
  fs::create_directories(window);
  const RunResult fromWindow = Headless({"--pick", window.string(), "select", kSerial, "export", "log"});
  EXPECT_TRUE(fromWindow.Has("[error] Verify completed with errors. See Shell output for details.")) << fromWindow.out;
  EXPECT_NE(fromWindow.out.find(kMissingCheck), std::string::npos) << fromWindow.out;
  EXPECT_TRUE(e2e::Snapshot(window).empty());

  const fs::path out = Root() / "cli";
  const RunResult r = Quillon({"--json", "export", kSerial, "--to", out.string()});
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  const nlohmann::json result = Json(r);
  ASSERT_EQ(result["devices"].size(), 1u);
  EXPECT_TRUE(result["devices"][0]["archive"].is_null());
  EXPECT_EQ(result["devices"][0]["verdict"], "verification failed: File nwserial.sys: File not found: x64\\nwserial.sys");
  EXPECT_FALSE(fs::exists(out / kSerialArchive));
  // The record says why.
  const std::string csv = e2e::ReadFile(result["record"].get<std::string>());
  EXPECT_NE(csv.find("\"verification failed: File nwserial.sys: File not found: x64\\nwserial.sys\""), std::string::npos)
      << csv;
}

TEST_F(CompletePackage, ExportAllAndTheSubmissionSkipAnIncompletePackageWithItsReport) {
  RemoveTheDriverFile();
  const fs::path out = Root() / "all";
  const RunResult all = Quillon({"export-all", "--to", out.string()});
  EXPECT_EQ(all.exitCode, 1) << all.out << all.err;
  EXPECT_TRUE(all.Has("Northwind USB Serial Port (COM3) (" + kSerial +
                      "): failed: File nwserial.sys: File not found: x64\\nwserial.sys"))
      << all.out;
  EXPECT_FALSE(fs::exists(out / kSerialArchive));
  EXPECT_TRUE(fs::exists(out / "Contoso Filter Device_5.1.0.0.7z"));

  const fs::path submission = Root() / "submit";
  const RunResult submit = Quillon({"submit", "--to", submission.string()});
  EXPECT_EQ(submit.exitCode, 1) << submit.out << submit.err;
  EXPECT_TRUE(submit.Has("Northwind USB Serial Port (COM3) (" + kSerial +
                         "): failed: File nwserial.sys: File not found: x64\\nwserial.sys"))
      << submit.out;
}

TEST_F(CompletePackage, CheckOfAnArchiveMissingTheDriverFileFailsNamingIt) {
  const fs::path out = Root() / "backup";
  ASSERT_EQ(Quillon({"export", kSerial, "--to", out.string()}).exitCode, 0);
  EXPECT_EQ(Quillon({"check", out.string()}).exitCode, 0);

  ASSERT_EQ(e2e::RunProgram("/usr/bin/7z", {"d", (out / kSerialArchive).string(), "x64/nwserial.sys"}, Scratch())
                .exitCode, 0);
  const RunResult r = Quillon({"check", out.string()});
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_TRUE(r.Has(kSerialArchive + ": FAILED (catalog verified)")) << r.out;
  EXPECT_TRUE(r.Has("  File not found: x64\\nwserial.sys")) << r.out;
}

}  // namespace
}  // namespace clitest
