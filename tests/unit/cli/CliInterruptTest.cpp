// Ctrl+C in the middle of export-all: the file under way is finished, nothing
// partial stays (no work folder, no unfinished archive), the record names what
// was done and that the run was interrupted, and the exit code is 130.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "tests/unit/cli/Cli.h"

namespace clitest {
namespace {

const std::string kFilterPackage = "confilter.inf_amd64_abcdef0123456789";

// `megabytes` of bytes that do not compress: deflating them takes a while.
void WriteIncompressible(const fs::path& file, size_t megabytes, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::ofstream out(file, std::ios::binary);
  std::vector<uint64_t> block(1 << 17);  // 1 MiB
  for (size_t m = 0; m < megabytes; ++m) {
    for (uint64_t& v : block) v = random();
    out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(block.size() * sizeof(uint64_t)));
  }
}

class Interrupted : public CliTest {
 protected:
  // The first device's package (Contoso Filter) grows three large files, listed
  // in its catalog signed again: it passes verification and takes seconds to archive.
  void GrowTheFirstPackage() {
    const fs::path folder = StoreFolder(kFilterPackage);
    std::vector<std::string> args = {(fs::path(QUILLON_FIXTURES_DIR) / "signing/pki").string(),
                                     (folder / "confilter.cat").string()};
    for (int i = 1; i <= 3; ++i) WriteIncompressible(folder / ("large" + std::to_string(i) + ".bin"), 40, i);
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() != ".cat") args.push_back(entry.path().string());
    const RunResult signedAgain =
        e2e::RunProgram(std::string(QUILLON_SOURCE_DIR) + "/tests/fixtures/sign-package", args, Scratch());
    ASSERT_EQ(signedAgain.exitCode, 0) << signedAgain.err;
  }

  // Starts quillon ARGS..., sends SIGINT once `appears` exists, and waits for it.
  RunResult InterruptWhen(const fs::path& appears, const std::vector<std::string>& args) {
    const std::string program = std::string(QUILLON_BINARY_DIR) + "/cli/quillon";
    const fs::path outFile = Scratch() / "stdout.txt", errFile = Scratch() / "stderr.txt";
    std::vector<std::string> all = {program, "--windows", Machine().string()};
    all.insert(all.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (!std::freopen(outFile.c_str(), "w", stdout) || !std::freopen(errFile.c_str(), "w", stderr)) ::_exit(126);
      std::vector<char*> argv;
      for (std::string& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    RunResult r;
    if (pid < 0) return r;
    int status = 0;
    bool ended = false;
    for (int waited = 0; waited < 60000 && !fs::exists(appears); waited += 5) {
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        ended = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(ended) << "quillon ended before " << appears << " appeared";
    if (!ended) {
      ::kill(pid, SIGINT);
      ::waitpid(pid, &status, 0);
    }
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    r.out = e2e::ReadFile(outFile);
    r.err = e2e::ReadFile(errFile);
    return r;
  }

};

TEST_F(Interrupted, ExportAllStopsAfterTheFileUnderWayAndKeepsTheRecord) {
  GrowTheFirstPackage();
  const fs::path out = Root() / "out";
  fs::create_directories(out);
  e2e::WriteFile(out / "mine.txt", "kept");
  // The archive of the first device appears when its writing begins.
  const RunResult r = InterruptWhen(out / "Contoso Filter Device_5.1.0.0.Zip",
                    {"--json", "--jobs", "1", "export-all", "--zip", "--to", out.string()});
  EXPECT_EQ(r.exitCode, 130) << r.out << r.err;
  EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;

  const nlohmann::json result = Json(r);
  EXPECT_EQ(result["interrupted"], true);
  const fs::path record = result["record"].get<std::string>();
  // Nothing partial: the user's file and the record, no work folder, no unfinished archive.
  EXPECT_EQ(e2e::Names(e2e::Snapshot(out)),
            (std::set<std::string>{"mine.txt", record.filename().string(),
                                   fs::path(result["index"].get<std::string>()).filename().string()}));
  ASSERT_EQ(result["devices"].size(), 9u);
  for (const auto& d : result["devices"]) {
    EXPECT_TRUE(d["archive"].is_null()) << d["name"];
    EXPECT_EQ(d["verdict"].get<std::string>().rfind("interrupted: ", 0), 0u) << d["verdict"];
  }
  const std::string csv = e2e::ReadFile(record);
  EXPECT_NE(csv.find("\"interrupted: Interrupted before \"\""), std::string::npos) << csv;
  EXPECT_NE(csv.find("\"interrupted: cancelled before it started\""), std::string::npos) << csv;
}

}  // namespace
}  // namespace clitest
