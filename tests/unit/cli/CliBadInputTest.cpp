// What `quillon` does with input it cannot use: the message, the exit code, and
// nothing lost or left behind.
#include <sys/stat.h>

#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

// A mount table with an NTFS mount of each folder and one of another type.
fs::path MountTable(const fs::path& at, const std::vector<fs::path>& ntfs) {
  std::string table = "proc /proc proc rw 0 0\n/dev/sdb1 " + (at.parent_path() / "ext").string() + " ext4 rw 0 0\n";
  int n = 2;
  for (const fs::path& root : ntfs) {
    std::string escaped;
    for (char c : root.string()) escaped += c == ' ' ? std::string("\\040") : std::string(1, c);
    table += "/dev/sda" + std::to_string(n++) + " " + escaped + " ntfs3 ro 0 0\n";
  }
  e2e::WriteFile(at, table);
  return at;
}

TEST_F(CliTest, UnknownDevicesAreUsageErrorsThatWriteNothing) {
  const fs::path out = Root() / "out";
  for (const std::string device : {"ROOT\\NO_SUCH\\0000", "99", "0"}) {
    SCOPED_TRACE(device);
    const RunResult r = Quillon({"export", device, "--to", out.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(device), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out));
  }
  const RunResult show = Quillon({"show", "ROOT\\NO_SUCH\\0000"});
  EXPECT_EQ(show.exitCode, 2);
  EXPECT_EQ(show.out, "");
  EXPECT_EQ(Quillon({"frobnicate"}).exitCode, 2);
  EXPECT_EQ(Quillon({"export-all"}).exitCode, 2) << "--to is required";
  EXPECT_EQ(Quillon({"verify"}).exitCode, 2) << "DEVICE or --all";
}

TEST_F(CliTest, HelpForEachVerb) {
  for (const std::string verb : {"list", "show", "verify", "export", "export-all", "submit"}) {
    const RunResult r = QuillonBare({verb, "--help"});
    EXPECT_EQ(r.exitCode, 0) << verb;
    EXPECT_NE(r.out.find(verb), std::string::npos) << r.out;
  }
  const RunResult r = QuillonBare({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("export-all"), std::string::npos) << r.out;
}

TEST_F(CliTest, ToNamingAFileKeepsTheFile) {
  const fs::path file = Root() / "a-file";
  e2e::WriteFile(file, "precious");
  const RunResult r = Quillon({"export-all", "--to", file.string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("\"" + file.string() + "\" is a file"), std::string::npos) << r.err;
  EXPECT_EQ(e2e::ReadFile(file), "precious");
}

TEST_F(CliTest, NothingIsWrittenInsideTheInstallation) {
  const auto before = e2e::Snapshot(Machine());
  fs::create_directory_symlink(Machine() / "Windows", Root() / "link-in");
  for (const fs::path& to : {Machine(), Machine() / "backup", Root() / "link-in" / "backup"}) {
    const RunResult r = Quillon({"export-all", "--to", to.string()});
    EXPECT_EQ(r.exitCode, 2) << to;
    EXPECT_NE(r.err.find("lies inside the installation being read"), std::string::npos) << r.err;
  }
  EXPECT_EQ(e2e::Snapshot(Machine()), before);
}

TEST_F(CliTest, AFolderThatCannotBeReadIsNothingToReadAndStaysAsItWas) {
  // Not a Windows installation, and an installation whose SYSTEM hive is cut short.
  const fs::path notWindows = Root() / "photos";
  e2e::WriteFile(notWindows / "holiday.jpg", "jpeg");
  const fs::path hive = Machine() / "Windows/System32/config/SYSTEM";
  fs::resize_file(hive, 1000);
  for (const fs::path& folder : {notWindows, Machine()}) {
    SCOPED_TRACE(folder);
    const auto before = e2e::Snapshot(folder);
    const RunResult r = QuillonBare({"--windows", folder.string(), "export-all", "--to", (Root() / "out").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("cannot read the Windows installation \"" + folder.string() + "\""), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("--help"), std::string::npos) << "not a usage error: " << r.err;
    EXPECT_EQ(e2e::Snapshot(folder), before);
    EXPECT_FALSE(fs::exists(Root() / "out"));
  }
}

TEST_F(CliTest, InstallationsAreFoundAmongTheNtfsMounts) {
  const fs::path one = Root() / "mnt/win dows", two = Root() / "mnt/other";
  for (const fs::path& root : {one, two}) e2e::WriteFile(root / "WINDOWS/system32/Config/SYSTEM", "hive");
  e2e::WriteFile(Root() / "ext/Windows/System32/config/SYSTEM", "not NTFS");
  e2e::WriteFile(Root() / "mnt/empty/Windows/System32/config/SOFTWARE", "no SYSTEM hive");

  const RunResult none = QuillonBare({"--mounts-file", MountTable(Root() / "none", {Root() / "mnt/empty"}).string(), "list"});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.err.find("no mounted Windows installation found"), std::string::npos) << none.err;
  EXPECT_NE(none.err.find("--windows"), std::string::npos) << none.err;

  const RunResult several = QuillonBare({"--mounts-file", MountTable(Root() / "two", {one, two}).string(), "list"});
  EXPECT_EQ(several.exitCode, 2);
  EXPECT_NE(several.err.find("  " + one.string() + "  (/dev/sda2)"), std::string::npos) << several.err;
  EXPECT_NE(several.err.find("  " + two.string() + "  (/dev/sda3)"), std::string::npos) << several.err;

  // The only one is read: here the sample installation.
  const RunResult only =
      QuillonBare({"--mounts-file", MountTable(Root() / "one", {Machine()}).string(), "--json", "list"});
  EXPECT_EQ(only.exitCode, 0) << only.err;
  EXPECT_EQ(Json(only)["devices"].size(), 9u) << only.out;

  EXPECT_EQ(QuillonBare({"--mounts-file", (Root() / "missing").string(), "list"}).exitCode, 2);
}

// Runs quillon with --to on a file system mounted for the purpose (a private
// mount namespace, so no privileges are needed). Skips where that is not allowed.
class OutputFileSystem : public CliTest {
 protected:
  RunResult QuillonOnMount(const std::string& mountOptions, const std::vector<std::string>& args) {
    const fs::path mount = Root() / "mount";
    fs::create_directories(mount);
    std::string command = "mount -t tmpfs -o " + mountOptions + " tmpfs '" + mount.string() + "' && exec '" +
                          QUILLON_BINARY_DIR + "/cli/quillon' --windows '" + Machine().string() + "'";
    for (const std::string& a : args) command += " '" + a + "'";
    RunResult r = e2e::RunProgram("/usr/bin/unshare", {"-rm", "/bin/sh", "-c", command}, Scratch());
    return r;
  }
  bool MountsAllowed() {
    const RunResult probe = e2e::RunProgram("/usr/bin/unshare", {"-rm", "/bin/sh", "-c",
                                                                 "mount -t tmpfs tmpfs /mnt"}, Scratch());
    return probe.exitCode == 0;
  }
};

TEST_F(OutputFileSystem, AReadOnlyFolderFailsEveryDeviceAndSaysWhy) {
  if (!MountsAllowed()) GTEST_SKIP() << "no private mount namespaces here (unshare -rm)";
  const RunResult r = QuillonOnMount("ro", {"export-all", "--to", (Root() / "mount").string()});
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_NE((r.out + r.err).find("The media is write protected."), std::string::npos) << r.out << r.err;
}

TEST_F(OutputFileSystem, AFullFolderLeavesNoPartialArchiveOrWorkFolder) {
  if (!MountsAllowed()) GTEST_SKIP() << "no private mount namespaces here (unshare -rm)";
  // Room for some packages, not for all; then what is left, each archive tested.
  const std::string out = (Root() / "mount").string();
  fs::create_directories(out);
  const std::string command = "mount -t tmpfs -o size=12k tmpfs '" + out + "' && '" + QUILLON_BINARY_DIR +
                              "/cli/quillon' --windows '" + Machine().string() + "' export-all --zip --to '" + out +
                              "'; echo exit=$?; cd '" + out + "' && for f in *; do if unzip -tqq \"$f\" " +
                              ">/dev/null 2>&1; then echo \"whole $f\"; else echo \"other $f\"; fi; done";
  const RunResult r = e2e::RunProgram("/usr/bin/unshare", {"-rm", "/bin/sh", "-c", command}, Scratch());
  EXPECT_TRUE(r.Has("exit=1")) << r.out << r.err;
  EXPECT_NE(r.out.find("There is not enough space on the disk."), std::string::npos) << r.out << r.err;
  // Whole archives and at most the record: no work folder, no partial archive.
  for (const std::string& line : r.Lines()) {
    if (line.rfind("other ", 0) != 0) continue;
    EXPECT_EQ(line.rfind("other Quillon-", 0), 0u) << r.out;
  }
}

}  // namespace
}  // namespace clitest
