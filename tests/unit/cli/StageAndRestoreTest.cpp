// stage and restore of a backup that `quillon export-all` wrote of the sample
// installation: the kit holds each package's files as exported and a script that
// installs each INF; nothing is written into the installation; restore only runs
// on the running Windows (under Wine: tests/windows/cli).
#include "archive/ZipWriter.h"
#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

class StageAndRestore : public CliTest {
 protected:
  static size_t Count(const std::string& s, const std::string& part) {
    size_t n = 0;
    for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) ++n;
    return n;
  }
};

TEST_F(StageAndRestore, StageWithoutAnInstallationExtractsEveryPackageAndWritesTheScript) {
  const fs::path backup = Backup(), kit = Root() / "kit";
  const RunResult r = QuillonBare({"stage", backup.string(), "--to", kit.string()});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("6 of 6 driver packages staged in " + kit.string()), std::string::npos) << r.out;

  // Each package's files as the driver store holds them (no .pnf), beside the script.
  const fs::path northwind = kit / "Northwind USB Serial Port_3.8.27.0";
  EXPECT_EQ(e2e::PackageContent(northwind),
            e2e::PackageContent(StoreFolder("nwserial.inf_amd64_1122334455667788")));
  EXPECT_EQ(Sha256(northwind / "x64/nwserial.sys", Scratch()),
            Sha256(StoreFolder("nwserial.inf_amd64_1122334455667788") / "x64/nwserial.sys", Scratch()));
  const std::string script = e2e::ReadFile(kit / "install-drivers.cmd");
  EXPECT_EQ(Count(script, "set \"INF="), 6u);
  EXPECT_NE(script.find("set \"INF=Northwind USB Serial Port_3.8.27.0\\nwserial.inf\"\r\n"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(kit / "README.txt"));
  // Nothing of the extraction is left beside the packages.
  size_t entries = 0;
  for (const auto& e : fs::directory_iterator(kit)) entries += e.path().filename().string().rfind("quillon-", 0) == 0;
  EXPECT_EQ(entries, 0u);
}

TEST_F(StageAndRestore, StageForTheInstallationTakesThePlansChoiceAndNeverWritesIntoIt) {
  const fs::path backup = Backup();
  const auto before = e2e::Snapshot(Machine());
  // The backup was made of this installation: every device has its driver already.
  const RunResult planned = Quillon({"stage", backup.string(), "--to", (Root() / "kit").string()});
  EXPECT_EQ(planned.exitCode, 0) << planned.out << planned.err;
  EXPECT_NE(planned.out.find("No driver package staged"), std::string::npos) << planned.out;
  const RunResult all = Quillon({"stage", backup.string(), "--to", (Root() / "all").string(), "--all-packages"});
  EXPECT_EQ(all.exitCode, 0) << all.out << all.err;
  EXPECT_NE(all.out.find("6 of 6 driver packages staged"), std::string::npos) << all.out;

  const RunResult inside = Quillon({"stage", backup.string(), "--to", (Machine() / "kit").string()});
  EXPECT_EQ(inside.exitCode, 2);
  EXPECT_NE(inside.err.find("lies inside the installation being read"), std::string::npos) << inside.err;
  EXPECT_EQ(e2e::Snapshot(Machine()), before);
}

TEST_F(StageAndRestore, RestoreRefusesAnInstallationReadFromAFolder) {
  const fs::path backup = Backup();
  const auto before = e2e::Snapshot(Machine()), backupBefore = e2e::Snapshot(backup);
  const RunResult r = Quillon({"restore", backup.string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("restore installs drivers on the running Windows"), std::string::npos) << r.err;
  EXPECT_EQ(e2e::Snapshot(Machine()), before);
  EXPECT_EQ(e2e::Snapshot(backup), backupBefore) << "no record is written for a restore that did not run";
}

TEST_F(StageAndRestore, AFolderWithoutArchivesAndAnArchiveLeavingItsFolderAreNamed) {
  const fs::path empty = Root() / "empty";
  fs::create_directories(empty);
  const RunResult none = QuillonBare({"stage", empty.string(), "--to", (Root() / "kit").string()});
  EXPECT_NE(none.exitCode, 0);
  EXPECT_NE(none.err.find("holds no .7z or .Zip archive"), std::string::npos) << none.err;

  const fs::path backup = Backup(), payload = Root() / "payload.txt";
  e2e::WriteFile(payload, "outside");
  {
    archive::TZipWriter zip(text::FromPath(backup / "evil.zip"), 1);
    zip.AddFile(text::FromPath(payload), u"evil/../../escaped.txt");
    zip.Close();
  }
  const fs::path kit = Root() / "kits" / "kit";
  const RunResult r = QuillonBare({"stage", backup.string(), "--to", kit.string()});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;  // the archive is not read as a package: no package failed
  EXPECT_NE(r.err.find("evil.zip"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("6 of 6 driver packages staged"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(Root() / "kits" / "escaped.txt"));
  EXPECT_FALSE(fs::exists(Root() / "escaped.txt"));
}

}  // namespace
}  // namespace clitest
