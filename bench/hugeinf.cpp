// bench_hugeinf: the peak memory of `quillon show` (also with --json) and `quillon export` of a
// device whose store INF is 200 MB (the sample installation, its Fabrikam INF
// grown sparse by tests/fixtures/hostile_installation.py huge-inf). Reading an INF
// streams or stops at a cap, so the cost must not follow the INF's size.
// Target: under 64 MiB peak for each.
#include "bench/support/BenchSupport.h"

namespace {

constexpr const char* kBench = "bench_hugeinf";
constexpr double kTargetMiB = 64;
const std::string kFabnet = "PCI\\VEN_8086&DEV_15B8&SUBSYS_86721043&REV_00\\3&11583659&0&FE";

std::string MiB(long kib) { return bench::Fixed(double(kib) / 1024, 1) + " MiB"; }

}  // namespace

int main() {
  return bench::Main(kBench, [] {
    bench::TempFolder temp("quillon-bench-hugeinf");
    const bench::fs::path fixtures = bench::FixtureSourceDir();
    for (const char* step : {"gen-10-sample-machine", "gen-20-signing", "gen-40-sample-installation"})
      bench::RunChecked({"/usr/bin/python3", (fixtures / step).string(), temp.Path().string()});
    const bench::fs::path installation = temp.Path() / "sample-installation";
    bench::RunChecked({"/usr/bin/python3", (fixtures / "hostile_installation.py").string(), "huge-inf",
                       installation.string(), (temp.Path() / "outside").string()});

    const bench::ChildRun show = bench::RunChild({QUILLON_CLI, "--windows", installation.string(), "show", kFabnet});
    const bench::ChildRun showJson =
        bench::RunChild({QUILLON_CLI, "--windows", installation.string(), "--json", "show", kFabnet});
    const bench::ChildRun exported = bench::RunChild(
        {QUILLON_CLI, "--windows", installation.string(), "export", kFabnet, "--to", (temp.Path() / "out").string()});
    bench::Report(kBench, "peak memory, show of a 200 MB INF:",
                  MiB(show.peakKiB) + " (exit " + std::to_string(show.exitCode) + ", " + bench::Fixed(show.seconds, 2) +
                      " s), target < 64 MiB " + bench::Verdict(double(show.peakKiB) / 1024 < kTargetMiB));
    bench::Report(kBench, "peak memory, show --json of a 200 MB INF:",
                  MiB(showJson.peakKiB) + " (exit " + std::to_string(showJson.exitCode) + ", " +
                      bench::Fixed(showJson.seconds, 2) + " s), target < 64 MiB " +
                      bench::Verdict(double(showJson.peakKiB) / 1024 < kTargetMiB));
    bench::Report(kBench, "peak memory, export of a 200 MB INF:",
                  MiB(exported.peakKiB) + " (exit " + std::to_string(exported.exitCode) + ", " +
                      bench::Fixed(exported.seconds, 2) + " s), target < 64 MiB " +
                      bench::Verdict(double(exported.peakKiB) / 1024 < kTargetMiB));
    return 0;
  });
}
