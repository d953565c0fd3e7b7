// A store folder that cannot be backed up costs its device, never the run: the
// command line's export-all and the window's Export All export every other
// device, name the two that failed with the file and the system's words, and
// leave no work folder behind.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

const std::string kFilter = "ROOT\\CONTOSOFILTER\\0000";
const std::string kEthernet = "PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_00\\3&11583659&0&FE";

class OneDeviceFails : public CliTest {
 protected:
  void TearDown() override {
    if (!bound_.empty()) ::umount2(bound_.c_str(), MNT_DETACH);
  }
  // A regular file whose every read fails with EIO, also for root: this
  // process's memory at address 0, bound over it. False when mounts are refused.
  bool MakeUnreadable(const fs::path& file) {
    e2e::WriteFile(file, "");
    const std::string memory = "/proc/" + std::to_string(::getpid()) + "/mem";
    if (::mount(memory.c_str(), file.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    bound_ = file;
    return true;
  }
  // The names in `out` that are folders: work folders left behind.
  static std::vector<std::string> FoldersIn(const fs::path& out) {
    std::vector<std::string> folders;
    for (const auto& entry : fs::directory_iterator(out))
      if (entry.is_directory()) folders.push_back(entry.path().filename().string());
    return folders;
  }

  fs::path bound_;
};

TEST_F(OneDeviceFails, AnUnreadableFileAndAPipeCostTheirTwoDevicesOnly) {
  const fs::path unreadable = StoreFolder("confilter.inf_amd64_abcdef0123456789") / "unreadable.sys";
  if (!MakeUnreadable(unreadable)) GTEST_SKIP() << "bind mounts are not permitted here (" << std::strerror(errno) << ")";
  const fs::path pipe = StoreFolder("fabnet.inf_amd64_8f3c2b1a9d0e4f57") / "pipe.dat";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

  const fs::path cli = Root() / "cli", window = Root() / "window";
  const RunResult r = Quillon({"--json", "export-all", "--to", cli.string()});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  const nlohmann::json result = Json(r);
  std::map<std::string, std::string> verdicts;
  for (const auto& d : result["devices"]) verdicts[d["instanceId"]] = d["verdict"];
  ASSERT_EQ(verdicts.size(), 9u) << r.out;
  EXPECT_EQ(verdicts[kFilter].rfind("verification failed: File unreadable.sys: ", 0), 0u) << verdicts[kFilter];
  EXPECT_EQ(verdicts[kEthernet], "export failed: Cannot back up \"" + pipe.string() + "\": it is a pipe, not a file.");
  size_t exported = 0;
  for (const auto& [id, verdict] : verdicts) exported += verdict == "exported";
  EXPECT_EQ(exported, 5u) << r.out;  // all but the two, Tailspin and the driverless device
  // The summary names both; the record holds both rows.
  const std::string failures = result["failures"].dump();
  EXPECT_NE(failures.find("Contoso Filter Device"), std::string::npos) << failures;
  EXPECT_NE(failures.find("Fabrikam Ethernet Connection"), std::string::npos) << failures;
  EXPECT_NE(e2e::ReadFile(result["record"].get<std::string>()).find("it is a pipe, not a file."), std::string::npos);
  EXPECT_EQ(FoldersIn(cli), std::vector<std::string>{});

  // One line per device: the unreadable file named.
  const RunResult lines = Quillon({"export", kFilter, "--to", (Root() / "one").string()});
  EXPECT_EQ(lines.exitCode, 1);
  EXPECT_NE(lines.out.find("failed: File unreadable.sys: "), std::string::npos) << lines.out;

  // The window's Export All shows the pipe's error and goes on.
  const RunResult shown = Headless({"--pick", window.string(), "--now", e2e::kNow, "export-all"});
  EXPECT_EQ(shown.Starting("[error]"),
            std::vector<std::string>{"[error] Cannot back up \"" + pipe.string() + "\": it is a pipe, not a file."})
      << shown.out;
  std::set<std::string> archives;
  for (const auto& d : result["devices"])
    if (!d["archive"].is_null()) archives.insert(d["archive"]);
  std::set<std::string> written = e2e::Names(e2e::Snapshot(window));
  EXPECT_EQ(written.erase(e2e::kIndexAtNow), 1u);
  EXPECT_EQ(written, archives);
}

}  // namespace
}  // namespace clitest
