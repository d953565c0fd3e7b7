// bench_check: `quillon check` of a backup against the standard tools doing the
// byte work it must at least do: `7z t` of every archive and `sha256sum` of every
// archive. The backup is export-all of a generated machine (by default 40 signed
// packages, 1 GiB). Reports the times, the throughput of each and their ratio.
// Target: check at least 0.8 times the tools' throughput.
#include "bench/support/BenchSupport.h"

namespace {

constexpr const char* kBench = "bench_check";
constexpr double kTarget = 0.8;

std::vector<std::string> Archives(const bench::fs::path& folder) {
  std::vector<std::string> archives;
  for (const auto& e : bench::fs::directory_iterator(folder))
    if (e.path().extension() == ".7z" || e.path().extension() == ".Zip") archives.push_back(e.path().string());
  return archives;
}

}  // namespace

int main() {
  return bench::Main(kBench, [] {
    const int packages = int(bench::EnvNumber("QUILLON_BENCH_CHECK_PACKAGES", 40));
    const double megabytes = bench::EnvNumber("QUILLON_BENCH_CHECK_MB", 1024);
    bench::TempFolder temp("quillon-bench-check");
    const bench::fs::path machine = temp.Path() / "machine", backup = temp.Path() / "backup";
    bench::Generate("gen_machine.py", {machine.string(), std::to_string(packages), std::to_string(packages),
                                       bench::Fixed(megabytes, 0), "--sign", bench::FixtureSourceDir().string()});
    bench::RunChecked({QUILLON_CLI, "--windows", machine.string(), "export-all", "--to", backup.string()},
                      {.output = temp.Path() / "export.log"});
    const std::vector<std::string> archives = Archives(backup);
    const uint64_t bytes = bench::TreeBytes(backup);

    const bench::ChildRun check = bench::RunChecked({QUILLON_CLI, "--windows", machine.string(), "check",
                                                     backup.string()}, {.output = temp.Path() / "check.log"});
    // `7z t` takes one archive (further names would filter its entries).
    bench::ChildRun tested;
    tested.seconds = 0;
    for (const std::string& archive : archives)
      tested.seconds += bench::RunChecked({"7z", "t", archive}, {.output = temp.Path() / "7z.log"}).seconds;
    std::vector<std::string> sums = {"sha256sum"};
    sums.insert(sums.end(), archives.begin(), archives.end());
    const bench::ChildRun summed = bench::RunChecked(sums, {.output = temp.Path() / "sha256sum.log"});
    const double tools = tested.seconds + summed.seconds;

    bench::Report(kBench, "backup:", std::to_string(archives.size()) + " archives, " +
                                         bench::Fixed(double(bytes) / (1 << 20), 1) + " MiB");
    bench::Report(kBench, "quillon check:", bench::Fixed(check.seconds, 2) + " s (" + bench::MiBps(bytes, check.seconds) +
                                                ", peak " + std::to_string(check.peakKiB / 1024) + " MiB)");
    bench::Report(kBench, "7z t + sha256sum:", bench::Fixed(tools, 2) + " s (" + bench::Fixed(tested.seconds, 2) +
                                                   " + " + bench::Fixed(summed.seconds, 2) + " s, " +
                                                   bench::MiBps(bytes, tools) + ")");
    const double ratio = tools / check.seconds;
    bench::Report(kBench, "throughput of check against the tools:",
                  bench::Fixed(ratio, 2) + "x, target >= " + bench::Fixed(kTarget, 1) + "x " +
                      bench::Verdict(ratio >= kTarget));
    return 0;
  });
}
