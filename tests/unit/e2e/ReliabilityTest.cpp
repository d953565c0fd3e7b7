// Exports that meet a hostile file system: a driver-store file that cannot be
// read, names the file system dislikes, a long output path (a read-only or full
// output volume: OddEntriesTest). Each must end in a clear message, leave the
// window usable and touch nothing in the chosen folder but the archive it writes
// and its index.
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <regex>

#include "tests/unit/e2e/Headless.h"

namespace e2e {
namespace {

const std::string kAudio = "ROOT\\AUDIOCODEC\\0000";
const std::string kAudioPackage = "audiocodec.inf_amd64_6060606060606060";
const std::string kTwoCats = "ROOT\\TWOCATS\\0000";
const std::string kExported = "[information] Driver exported successfully.";
const std::string kVerifyPassed = "[information] Verify completed with no reported errors. See Shell output for details.";
const std::string kVerifyFailed = "[error] Verify completed with errors. See Shell output for details.";

class Reliability : public HeadlessTest {
 protected:
  void SetUp() override { UseMachine(); }

  // The user's own files in the chosen folder, which no command may touch.
  void KeepUserFiles(const fs::path& out) {
    WriteFile(out / "keep.txt", "mine");
    WriteFile(out / "audiocodec" / "mine.txt", "the name the work folder would take");
  }

  // After a failed export: one clear error, no success, no Explorer, and the
  // chosen folder exactly as it was.
  void ExpectRefusedCleanly(const RunResult& r, const fs::path& out,
                            const std::map<std::string, std::string>& before) {
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(r.Has(kExported));
    EXPECT_TRUE(r.Starting("[start] explorer.exe /select,").empty());
    const std::vector<std::string> errors = r.Starting("[error]");
    ASSERT_FALSE(errors.empty()) << r.out;
    EXPECT_GT(errors[0].size(), std::string("[error] ").size() + 10);
    EXPECT_EQ(Snapshot(out), before);
  }
};

TEST_F(Reliability, DriverStoreFileThatCannotBeRead) {
  // A regular file of the store whose every read fails, also for root: this
  // process's memory at address 0, bound over it.
  const fs::path unreadable = PackageDir(kAudioPackage) / "unreadable.sys";
  WriteFile(unreadable, "");
  const std::string memory = "/proc/" + std::to_string(::getpid()) + "/mem";
  if (::mount(memory.c_str(), unreadable.c_str(), nullptr, MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "bind mounts are not permitted here (" << std::strerror(errno) << ")";
  struct Unbind {
    fs::path at;
    ~Unbind() { ::umount2(at.c_str(), MNT_DETACH); }
  } unbind{unreadable};
  ASSERT_TRUE(fs::is_regular_file(unreadable));

  const fs::path out = Root() / "out";
  KeepUserFiles(out);
  const auto before = Snapshot(out);
  const RunResult r =
      Headless({"--pick", out.string(), "--now", kNow, "select", kAudio, "export", "log", "select", kTwoCats, "export"});
  EXPECT_EQ(r.Starting("[error]"), (std::vector<std::string>{kVerifyFailed}));
  // Whatever hash it yields is listed nowhere: the check fails and says why.
  EXPECT_TRUE(std::regex_search(r.out, std::regex("File       : unreadable.sys\nSHA-1      : [0-9A-F]*\n"
                                                  "SHA-256    : [0-9A-F]*\nTrust      : Failed\nError      : [^\n]+\n")))
      << r.out;
  EXPECT_TRUE(r.Has(kExported));  // the next export works
  auto after = Snapshot(out);
  EXPECT_EQ(after.erase("Two Catalogs Device_2.0.0.0.7z"), 1u);
  EXPECT_EQ(after.erase(kIndexAtNow), 1u);
  EXPECT_EQ(after, before);
}

TEST_F(Reliability, DescriptionFullOfForbiddenCharacters) {
  const fs::path out = Root() / "out";
  KeepUserFiles(out);
  const auto before = Snapshot(out);
  const RunResult r = Headless({"--pick", out.string(), "--now", kNow, "select", "ROOT\\FORBIDDEN\\0000", "export"});
  const std::string archive = "Bad Name x64      end_1.0.0.0.7z";
  EXPECT_TRUE(r.Has("[start] explorer.exe /select," + (out / archive).string())) << r.out;
  auto after = Snapshot(out);
  ASSERT_EQ(after.count(archive), 1u);
  EXPECT_EQ(ArchiveEntries(out / archive, Scratch()), PackageContent(PackageDir("forbidden.inf_amd64_6161616161616161")));
  after.erase(archive);
  EXPECT_EQ(after.erase(kIndexAtNow), 1u);
  EXPECT_EQ(after, before);
}

TEST_F(Reliability, OutputPathOfThreeHundredCharacters) {
  std::string path = Root().string();
  while (path.size() + 12 < 298) path += "/long-folder";
  path += "/" + std::string(300 - path.size() - 1, 'x');
  const fs::path out = path;
  ASSERT_EQ(out.string().size(), 300u);
  KeepUserFiles(out);
  const auto before = Snapshot(out);
  const RunResult r = Headless({"--pick", out.string(), "--now", kNow, "select", kAudio, "export", "verify"});
  const std::string archive = "Audio CodecHD_6.0.1.1.7z";
  if (r.Has(kExported)) {
    auto after = Snapshot(out);
    ASSERT_EQ(after.count(archive), 1u);
    EXPECT_EQ(ArchiveEntries(out / archive, Scratch()), PackageContent(PackageDir(kAudioPackage)));
    after.erase(archive);
    EXPECT_EQ(after.erase(kIndexAtNow), 1u);
    EXPECT_EQ(after, before);
  } else {
    ExpectRefusedCleanly(r, out, before);
  }
  EXPECT_TRUE(r.Has(kVerifyPassed));
}

TEST_F(Reliability, InfNameThatLeavesNoWorkFolderName) {
  UseMachine("nameless-machine");
  const fs::path out = Root() / "out";
  KeepUserFiles(out);
  const auto before = Snapshot(out);
  const RunResult r = Headless(
      {"--pick", out.string(), "--now", kNow, "select", "ROOT\\NONAME\\0000", "export", "select",
       "ROOT\\CONTOSOFILTER\\0000", "export"});
  const std::vector<std::string> errors = r.Starting("[error]");
  ASSERT_EQ(errors.size(), 1u) << r.out;
  EXPECT_EQ(errors[0].rfind("[error] No work folder can be named after the driver \".inf\"", 0), 0u);
  EXPECT_TRUE(r.Has(kExported));  // the next export works
  auto after = Snapshot(out);
  EXPECT_EQ(after.erase("Contoso Filter Device_5.1.0.0.7z"), 1u);
  EXPECT_EQ(after.erase(kIndexAtNow), 1u);
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace e2e
