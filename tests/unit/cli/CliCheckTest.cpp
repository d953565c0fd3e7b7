// `quillon check` of a backup written by export-all and submit of the sample
// installation: intact as written, then each kind of damage found and named.
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

const std::string kAudio = "Litware Virtual Audio_2.4.0.7.7z";
const std::string kSerial = "Northwind USB Serial Port_3.8.27.0.7z";

class Check : public CliTest {
 protected:
  nlohmann::json CheckJson(const fs::path& backup, int exitCode) {
    const RunResult r = Quillon({"--json", "check", backup.string()});
    EXPECT_EQ(r.exitCode, exitCode) << r.out << r.err;
    return Json(r);
  }
  static const nlohmann::json& Row(const nlohmann::json& report, const std::string& archive) {
    for (const auto& row : report["archives"])
      if (row["archive"] == archive) return row;
    throw std::runtime_error("no row for " + archive);
  }
};

TEST_F(Check, AnExportAsWrittenIsIntactWithEveryCatalogVerified) {
  const fs::path out = Backup();
  const nlohmann::json report = CheckJson(out, 0);
  EXPECT_EQ(report["index"], IndexIn(out).filename().string());
  EXPECT_EQ(report["sound"], true);
  ASSERT_EQ(report["archives"].size(), 6u);
  for (const auto& row : report["archives"]) {
    EXPECT_EQ(row["problems"], nlohmann::json::array()) << row;
    // Litware's INF names no catalog: a system catalog vouched for it at export.
    EXPECT_EQ(row["catalog"], row["archive"] == kAudio ? "not checked: the package names no catalog" : "verified")
        << row;
  }

  // Without an installation for the trusted roots the rest is still checked.
  const RunResult bare = QuillonBare({"--windows", (Root() / "nowhere").string(), "check", out.string()});
  EXPECT_EQ(bare.exitCode, 0) << bare.out << bare.err;
  EXPECT_TRUE(bare.Has("Contoso Filter Device_5.1.0.0.7z: sound (catalog not checked: no installation to take the "
                       "trusted roots from (--windows \"" + (Root() / "nowhere").string() + "\": no such folder))"))
      << bare.out;
}

TEST_F(Check, AFlippedByteIsFoundAndNamed) {
  const fs::path out = Backup();
  std::string bytes = e2e::ReadFile(out / kSerial);
  bytes[bytes.size() / 2] ^= 0x01;
  e2e::WriteFile(out / kSerial, bytes);
  const nlohmann::json report = CheckJson(out, 1);
  const nlohmann::json& row = Row(report, kSerial);
  EXPECT_EQ(row["sound"], false);
  EXPECT_EQ(row["problems"][0], "its SHA-256 is not the one the index records") << row;
  EXPECT_GE(row["problems"].size(), 2u) << row;  // and it does not test clean
  for (const auto& other : report["archives"])
    if (other["archive"] != kSerial) EXPECT_EQ(other["sound"], true) << other;
}

TEST_F(Check, ADeletedArchiveAnExtraArchiveAndAWrongIndexRowAreEachReported) {
  const fs::path out = Backup();
  fs::rename(out / kAudio, Root() / "elsewhere.7z");
  fs::copy_file(out / kSerial, out / "copy.7z");
  // The index's row for the GeForce archive records another SHA-256.
  const fs::path index = IndexIn(out);
  nlohmann::json j = nlohmann::json::parse(e2e::ReadFile(index));
  for (auto& p : j["packages"])
    if (p["archive"] == "Contoso GeForce GTX 1050 Ti_31.0.15.3623.7z") p["sha256"] = std::string(64, '0');
  e2e::WriteFile(index, j.dump());

  const RunResult r = Quillon({"check", out.string()});
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_TRUE(r.Has("Missing: " + kAudio)) << r.out;
  EXPECT_TRUE(r.Has("Not in the index: copy.7z")) << r.out;
  EXPECT_TRUE(r.Has("Contoso GeForce GTX 1050 Ti_31.0.15.3623.7z: FAILED (catalog verified)")) << r.out;
  EXPECT_TRUE(r.Has("  its SHA-256 is not the one the index records")) << r.out;
  EXPECT_TRUE(r.Has("4 of 5 archives sound; the backup is NOT intact")) << r.out;
}

TEST_F(Check, AnArchiveWithAFileTheCatalogDoesNotListFails) {
  const fs::path out = Backup();
  fs::remove(IndexIn(out));
  const fs::path extra = Root() / "added.sys";
  e2e::WriteFile(extra, "not signed by anyone");
  ASSERT_EQ(e2e::RunProgram("/usr/bin/7z", {"a", (out / kSerial).string(), extra.string()}, Scratch()).exitCode, 0);
  const nlohmann::json report = CheckJson(out, 1);
  EXPECT_EQ(report["index"], nullptr);
  EXPECT_EQ(report["notes"][0], "No backup index: each archive was checked on its own.");
  const nlohmann::json& row = Row(report, kSerial);
  ASSERT_EQ(row["problems"].size(), 1u) << row;
  EXPECT_EQ(row["problems"][0].get<std::string>().rfind("File added.sys: ", 0), 0u) << row;
}

TEST_F(Check, ASubmissionIsCheckedThroughTheArchivesItHolds) {
  const fs::path out = Root() / "submit";
  const RunResult submitted = Quillon({"--json", "submit", "--to", out.string()});
  const std::string submission = Json(submitted)["submission"]["archive"];
  for (const fs::path& target : {out / submission, out}) {
    SCOPED_TRACE(target);
    const nlohmann::json report = CheckJson(target, 0);
    EXPECT_EQ(report["submission"], submission);
    EXPECT_EQ(report["archives"].size(), 7u);  // the submission and its six archives
    EXPECT_EQ(Row(report, kSerial)["catalog"], "verified");
  }

  // An archive of the submission replaced by another: the submission's SHA-256 and the archive's.
  const fs::path inner = Root() / "inner";
  fs::create_directories(inner);
  e2e::WriteFile(inner / kAudio, "not an archive");
  ASSERT_EQ(e2e::RunProgram("/usr/bin/7z", {"a", (out / submission).string(), (inner / kAudio).string()}, Scratch())
                .exitCode, 0);
  const nlohmann::json report = CheckJson(out / submission, 1);
  EXPECT_EQ(Row(report, submission)["problems"][0], "its size or SHA-256 is not what the index records");
  EXPECT_EQ(Row(report, kAudio)["sound"], false);
}

}  // namespace
}  // namespace clitest
