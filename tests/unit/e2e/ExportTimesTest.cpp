// An exported archive keeps the dates of the driver files: every entry carries
// its source file's modification time (Zip: local time to 2 seconds, rounded down).
#include <chrono>
#include <ctime>

#include "tests/unit/e2e/Headless.h"

namespace e2e {
namespace {

// "YYYY-MM-DD hh:mm:ss" in local time, as 7z lists an entry's Modified time.
std::string LocalText(fs::file_time_type time, bool twoSecondSteps) {
  auto seconds = std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(time));
  if (twoSecondSteps) seconds -= std::chrono::seconds(seconds.time_since_epoch().count() % 2);
  const std::time_t t = std::chrono::system_clock::to_time_t(seconds);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// Entry path -> its Modified text, from `7z l -slt`.
std::map<std::string, std::string> ModifiedTimes(const fs::path& archive, const fs::path& scratch) {
  const RunResult r = RunProgram("/usr/bin/7z", {"l", "-slt", "-ba", archive.string()}, scratch);
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  std::map<std::string, std::string> times;
  std::string path;
  for (const std::string& line : r.Lines()) {
    if (line.rfind("Path = ", 0) == 0) path = line.substr(7);
    if (line.rfind("Modified = ", 0) == 0) times[path] = line.substr(11, 19);
  }
  return times;
}

class ExportTimes : public HeadlessTest {};

TEST_F(ExportTimes, EveryEntryCarriesItsDriverFilesModificationTime) {
  UseMachine();
  const fs::path package = PackageDir("audiocodec.inf_amd64_6060606060606060");
  const auto base = fs::file_time_type::clock::now() - std::chrono::hours(24 * 1000);
  const std::map<std::string, fs::file_time_type> times = {
      {"audiocodec.cat", base + std::chrono::seconds(1)},
      {"audiocodec.inf", base - std::chrono::hours(3000) + std::chrono::milliseconds(1500)},
      {"audiocodec.sys", base - std::chrono::hours(20000) + std::chrono::seconds(7)},
      {"sub/codec.dat", base - std::chrono::hours(40000)},
  };
  for (const auto& [file, time] : times) fs::last_write_time(package / file, time);
  const fs::path out = Root() / "out";
  for (const bool sevenZip : {true, false}) {
    SCOPED_TRACE(sevenZip ? "7z" : "Zip");
    std::vector<std::string> args = {"--pick", out.string(), "select", "ROOT\\AUDIOCODEC\\0000", "export"};
    if (!sevenZip) args.insert(args.begin(), "--no-7zip");
    const RunResult r = Headless(args);
    ASSERT_TRUE(r.Has("[information] Driver exported successfully.")) << r.out;
    const std::map<std::string, std::string> listed =
        ModifiedTimes(out / (sevenZip ? "Audio CodecHD_6.0.1.1.7z" : "Audio CodecHD_6.0.1.1.Zip"), Scratch());
    std::map<std::string, std::string> expected;
    for (const auto& [file, time] : times) expected[file] = LocalText(time, !sevenZip);
    EXPECT_EQ(listed, expected);
  }
}

}  // namespace
}  // namespace e2e
