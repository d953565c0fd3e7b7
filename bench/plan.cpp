// bench_plan: `quillon plan BACKUP` of a backup of 40 packages / 1 GiB (the
// export-all of a generated installation with one device per package), read
// through the backup index written beside the archives, and again without it
// (every archive read and hashed). Target: under 1 s with the index.
#include <fstream>
#include <sstream>

#include "bench/support/BenchSupport.h"

namespace {

constexpr const char* kBench = "bench_plan";
constexpr double kTargetSeconds = 1.0;

std::string MiB(double bytes) { return bench::Fixed(bytes / (1 << 20), 0) + " MiB"; }

std::vector<bench::fs::path> IndexFiles(const bench::fs::path& backup) {
  std::vector<bench::fs::path> found;
  for (const auto& entry : bench::fs::directory_iterator(backup)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("Quillon-index-", 0) == 0 && entry.path().extension() == ".json") found.push_back(entry.path());
  }
  return found;
}

// The median wall time of `runs` plans; raises unless the plan covers `devices`.
double PlanSeconds(const bench::fs::path& installation, const bench::fs::path& backup, int runs, int devices,
                   const bench::fs::path& log) {
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i)
    seconds.push_back(
        bench::RunChecked({QUILLON_CLI, "--windows", installation.string(), "plan", backup.string()}, {.output = log})
            .seconds);
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  const std::string expected = "covers " + std::to_string(devices) + " of ";
  if (text.str().find(expected) == std::string::npos)
    throw std::runtime_error("the plan does not cover every device (see " + log.string() + ")");
  return bench::Median(seconds);
}

}  // namespace

int main() {
  return bench::Main(kBench, [] {
    const double megabytes = bench::EnvNumber("QUILLON_BENCH_PLAN_MB", 1024);
    const int packages = int(bench::EnvNumber("QUILLON_BENCH_PLAN_PACKAGES", 40));
    const int runs = int(bench::EnvNumber("QUILLON_BENCH_PLAN_RUNS", 3));
    bench::TempFolder temp("quillon-bench-plan");
    const bench::fs::path machine = temp.Path() / "machine", installation = temp.Path() / "installation",
                          backup = temp.Path() / "backup", log = temp.Path() / "plan.log";
    const std::string count = std::to_string(packages);
    bench::Generate("gen_machine.py", {machine.string(), count, count, bench::Fixed(megabytes, 0), "--sign",
                                       bench::FixtureSourceDir().string()});
    bench::RunChecked({"/usr/bin/python3", (bench::FixtureSourceDir() / "machine_to_installation.py").string(),
                       machine.string(), installation.string()});
    const bench::ChildRun exported = bench::RunChecked(
        {QUILLON_CLI, "--windows", installation.string(), "export-all", "--to", backup.string()});
    bench::Report(kBench, "backup:", count + " packages, " + MiB(double(bench::TreeBytes(backup))) +
                                         " of archives (export-all " + bench::Fixed(exported.seconds, 1) + " s)");

    const std::vector<bench::fs::path> indexes = IndexFiles(backup);
    if (indexes.empty()) {
      bench::Report(kBench, "plan with the backup index:", "not measured: export-all wrote no index");
    } else {
      const double s = PlanSeconds(installation, backup, runs, packages, log);
      bench::Report(kBench, "plan with the backup index:",
                    bench::Fixed(s, 3) + " s, target < 1 s " + bench::Verdict(s < kTargetSeconds));
      for (const auto& index : indexes) bench::fs::rename(index, temp.Path() / index.filename());
    }
    const double s = PlanSeconds(installation, backup, runs, packages, log);
    bench::Report(kBench, "plan without the index (every archive read):",
                  bench::Fixed(s, 3) + " s (" + bench::MiBps(bench::TreeBytes(backup), s) + ")");
    return 0;
  });
}
