// quillon-cli.exe under Wine, on the running (Wine) system: a device the test
// writes into the registry is listed, verified and exported. Wine's setup
// services know no driver store, so the device has no package files: it fails
// verification and is not exported, and the command line says so.
#include <set>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "archive/ZipWriter.h"
#include "backup/Sha256.h"
#include "windows/cli/CliRun.h"
#include "windows/support/RegistrySeed.h"

namespace {

namespace fs = std::filesystem;
using win32_test::CliRun;
using win32_test::RunQuillonCli;

std::wstring Pid() { return std::to_wstring(::GetCurrentProcessId()); }
std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// Seeds a device into the prefix: runs alone (see quillon_add_test).
class SeededCliOnWine : public ::testing::Test {
 protected:
  SeededCliOnWine()
      : enumerator_(L"QUILLONCLI" + Pid()), scratch_(fs::temp_directory_path() / ("quillon-cli-" + Narrow(Pid()))) {
    fs::create_directories(scratch_);
    wchar_t guid[40];
    swprintf(guid, 40, L"{5EEDC11%01X-C0DE-4000-8000-0000000000D2}", unsigned(::GetCurrentProcessId() & 0xF));
    const std::wstring classKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\" + std::wstring(guid);
    const std::wstring device = L"SYSTEM\\CurrentControlSet\\Enum\\" + enumerator_ + L"\\CLIDEV\\0000";
    seed_.Tree(L"SYSTEM\\CurrentControlSet\\Enum\\" + enumerator_);
    seed_.Tree(classKey);
    seed_.String(classKey, L"", L"Quillon command-line devices");
    seed_.String(device, L"ClassGUID", guid);
    seed_.String(device, L"DeviceDesc", L"Quillon CLI device");
    seed_.Multi(device, L"HardwareID", {L"ROOT\\QUILLON_CLI"});
    seed_.String(device, L"Driver", std::wstring(guid) + L"\\0000");
    seed_.String(classKey + L"\\0000", L"DriverDesc", L"Quillon CLI driver");
    seed_.String(classKey + L"\\0000", L"DriverVersion", L"7.0.0.1");
    seed_.String(classKey + L"\\0000", L"ProviderName", L"Quillon");
  }
  ~SeededCliOnWine() override {
    std::error_code ec;
    fs::remove_all(scratch_, ec);
  }
  std::string InstanceId() const { return Narrow(enumerator_) + "\\CLIDEV\\0000"; }
  fs::path Scratch() const { return scratch_; }

 private:
  std::wstring enumerator_;
  fs::path scratch_;
  win32_test::RegistrySeed seed_;
};

TEST_F(SeededCliOnWine, ListsVerifiesAndExportsADeviceOfTheRunningSystem) {
  const CliRun list = RunQuillonCli(L"--json list", Scratch());
  ASSERT_EQ(list.exitCode, 0u) << list.err;
  const nlohmann::json devices = nlohmann::json::parse(list.out)["devices"];
  int number = 0;
  for (const auto& d : devices)
    if (d["instanceId"] == InstanceId()) {
      number = d["number"];
      EXPECT_EQ(d["name"], "Quillon CLI device");
      EXPECT_EQ(d["provider"], "Quillon");
      EXPECT_EQ(d["version"], "7.0.0.1");
    }
  ASSERT_GT(number, 0) << list.out;

  const std::string id = InstanceId();
  const std::wstring wideId(id.begin(), id.end());
  const CliRun verify = RunQuillonCli(L"verify \"" + wideId + L"\"", Scratch());
  EXPECT_EQ(verify.exitCode, 1u) << verify.err;
  EXPECT_NE(verify.out.find("=== Quillon CLI device (" + InstanceId() + ")\n*** Verifying Driver ***"),
            std::string::npos) << verify.out;
  EXPECT_NE(verify.out.find("1 of 1 devices failed verification"), std::string::npos) << verify.out;

  const fs::path out = Scratch() / "out";
  const CliRun exported = RunQuillonCli(L"--json export " + std::to_wstring(number) + L" --to \"" + out.wstring() + L"\"",
                                  Scratch());
  EXPECT_EQ(exported.exitCode, 1u) << exported.err;
  const nlohmann::json result = nlohmann::json::parse(exported.out);
  ASSERT_EQ(result["devices"].size(), 1u);
  // The verdict names the first check that failed.
  EXPECT_EQ(result["devices"][0]["verdict"].get<std::string>().rfind("verification failed: ", 0), 0u)
      << result["devices"][0]["verdict"];
  EXPECT_TRUE(result["devices"][0]["archive"].is_null());
  // Only the record and the backup index (of no archive) are written.
  std::set<fs::path> written;
  for (const auto& e : fs::directory_iterator(out)) written.insert(e.path().filename());
  EXPECT_EQ(written, (std::set<fs::path>{fs::path(result["record"].get<std::string>()).filename(),
                                         fs::path(result["index"].get<std::string>()).filename()}));

  const CliRun unknown = RunQuillonCli(L"show NO\\SUCH\\DEVICE", Scratch());
  EXPECT_EQ(unknown.exitCode, 2u);
  EXPECT_NE(unknown.err.find("NO\\SUCH\\DEVICE"), std::string::npos) << unknown.err;
}

// plan against the running system: a backup (one Zip archive written here) whose
// package names the seeded device's hardware id and is newer than its driver.
TEST_F(SeededCliOnWine, PlansABackupAgainstTheRunningSystem) {
  const fs::path package = Scratch() / "package" / "quilloncli.inf_amd64_0123456789abcdef";
  fs::create_directories(package);
  std::ofstream(package / "quilloncli.inf", std::ios::binary)
      << "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=System\r\n"
         "ClassGuid={4D36E97D-E325-11CE-BFC1-08002BE10318}\r\nProvider=Quillon\r\nDriverVer=01/02/2024,8.0.0.0\r\n"
         "[Manufacturer]\r\nQuillon=Models,NTamd64,NTx86\r\n[Models.NTamd64]\r\n"
         "\"Quillon CLI device\"=Cli_Install,ROOT\\QUILLON_CLI\r\n[Models.NTx86]\r\n"
         "\"Quillon CLI device\"=Cli_Install,ROOT\\QUILLON_CLI\r\n[Cli_Install]\r\n";
  const fs::path backup = Scratch() / "backup";
  fs::create_directories(backup);
  {
    archive::TZipWriter zip((backup / "Quillon CLI driver_8.0.0.0.zip").u16string());
    zip.AddFile((package / "quilloncli.inf").u16string(), u"quilloncli.inf_amd64_0123456789abcdef\\quilloncli.inf");
    zip.Close();
  }
  const CliRun plan = RunQuillonCli(L"plan \"" + backup.wstring() + L"\"", Scratch());
  ASSERT_EQ(plan.exitCode, 0u) << plan.err;
  // Its driver key records version 7.0.0.1 and no date: the backup's 2024 package is newer.
  EXPECT_NE(plan.out.find("Quillon CLI device (" + InstanceId() + "): would install Quillon CLI driver_8.0.0.0.zip "
                          "(quilloncli.inf, 8.0.0.0, matched ROOT\\QUILLON_CLI)"),
            std::string::npos) << plan.out << plan.err;
  EXPECT_NE(plan.out.find("Plan for "), std::string::npos) << plan.out;
  EXPECT_NE(plan.out.find("covers "), std::string::npos) << plan.out;

  const nlohmann::json json = nlohmann::json::parse(RunQuillonCli(L"--json plan \"" + backup.wstring() + L"\"",
                                                                  Scratch()).out);
  EXPECT_GE(json["target"]["major"].get<int>(), 6);
  EXPECT_EQ(json["target"]["assumed"], nlohmann::json::array()) << json["target"].dump();
}

}  // namespace

namespace {

// The record's SHA-256 through the system's CNG, read in pieces as archives are.
TEST(Sha256OnWindows, KnownDigestsOfAShortAndALongFile) {
  const fs::path file = fs::temp_directory_path() / ("quillon-sha-" + std::to_string(::GetCurrentProcessId()));
  std::ofstream(file, std::ios::binary) << "abc";
  EXPECT_EQ(backup::Sha256OfFile(file), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // Three million 'a' (digest by Python's hashlib): three reads.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(3000000, 'a');
  EXPECT_EQ(backup::Sha256OfFile(file), "2a152c894398719c0570f83fac34ac03a0f6e8e474b995c2403aa5434f7b9dd4");
  fs::remove(file);
  EXPECT_THROW(backup::Sha256OfFile(file), std::exception);
}

}  // namespace
