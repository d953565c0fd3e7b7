// bench_export: Export All of a generated machine with ~1 GB of signed driver
// packages through the real window logic (quillon-headless export-all), against
// a shell baseline doing the same work with standard tools (copy each package
// folder without *.pnf, `7z a -mx5`, delete the copy), in one run. Reports the
// time ratio and the peak memory of each side.
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "bench/support/BenchSupport.h"

namespace {

constexpr const char* kBench = "bench_export";

size_t CountArchives(const bench::fs::path& folder, const std::string& extension) {
  size_t n = 0;
  for (const auto& e : bench::fs::directory_iterator(folder)) n += e.path().extension() == extension;
  return n;
}

// Lines of the log that hold `needle`.
size_t CountLines(const bench::fs::path& log, const std::string& needle) {
  std::ifstream in(log);
  size_t n = 0;
  for (std::string line; std::getline(in, line);) n += line.find(needle) != std::string::npos;
  return n;
}

std::string MiB(double bytes) { return bench::Fixed(bytes / (1 << 20), 1) + " MiB"; }

struct ExportRun {
  bench::ChildRun child;
  uint64_t archiveBytes = 0;
};

// Export All into `out`; raises unless every package was exported without an error.
ExportRun ExportAll(const bench::fs::path& machine, const bench::fs::path& out, const bench::fs::path& log,
                    size_t packages, bool zip) {
  std::vector<std::string> argv = {QUILLON_HEADLESS, "--machine", machine.string(), "--pick", out.string()};
  if (zip) argv.push_back("--no-7zip");
  argv.push_back("export-all");
  ExportRun run{bench::RunChecked(argv, {.output = log}), 0};
  const size_t archives = CountArchives(out, zip ? ".Zip" : ".7z");
  const size_t failures = CountLines(log, "Trust      : Failed") + CountLines(log, "[error]");
  if (archives != packages || failures)
    throw std::runtime_error("Export All wrote " + std::to_string(archives) + " of " + std::to_string(packages) +
                             " archives with " + std::to_string(failures) + " failures (log " + log.string() + ")");
  run.archiveBytes = bench::TreeBytes(out);
  return run;
}

int Run() {
  const double megabytes = bench::EnvNumber("QUILLON_BENCH_EXPORT_MB", 1024);
  const int packages = int(bench::EnvNumber("QUILLON_BENCH_EXPORT_PACKAGES", 40));
  const bool withZip = bench::EnvNumber("QUILLON_BENCH_EXPORT_ZIP", 1) != 0;
  // A second baseline whose 7z does not split executables into a filtered block
  // of their own, as the library does when it cannot look into the files.
  const bool withUnfiltered = bench::EnvNumber("QUILLON_BENCH_EXPORT_UNFILTERED", 0) != 0;
  bench::TempFolder temp("quillon-bench-export");
  const bench::fs::path machine = temp.Path() / "machine";
  const std::string count = std::to_string(packages);
  const bench::fs::path devices = temp.Path() / "devices.tsv", list = temp.Path() / "baseline.tsv";
  bench::Generate("gen_machine.py", {machine.string(), count, count, bench::Fixed(megabytes, 0), "--sign",
                                     bench::FixtureSourceDir().string(), "--devices", devices.string()});
  {  // the baseline's list: host paths of the package folders, one device each
    std::ifstream in(devices);
    std::ofstream out(list);
    for (std::string line; std::getline(in, line);) {
      const size_t tab = line.find('\t');
      out << (machine / line.substr(0, tab)).string() << line.substr(tab) << '\n';
    }
  }
  const bench::fs::path store = machine / "C/Windows/System32/DriverStore/FileRepository";
  const uint64_t bytes = bench::TreeBytes(store);
  bench::Report(kBench, "machine:", count + " devices, " + count + " signed packages, " + MiB(double(bytes)) + " in " +
                                        std::to_string(bench::TreeFiles(store).size()) + " files");
  std::vector<std::string> warm = {"cat"};
  for (const auto& f : bench::TreeFiles(store)) warm.push_back(f.string());
  bench::RunChecked(warm);

  const bench::fs::path ours = temp.Path() / "ours", base = temp.Path() / "baseline", work = temp.Path() / "work";
  for (const auto& d : {ours, base, work}) bench::fs::create_directories(d);
  const ExportRun export7z = ExportAll(machine, ours, temp.Path() / "ours.log", packages, false);
  auto runBaseline = [&](const bench::fs::path& into, const std::vector<std::string>& switches) {
    std::vector<std::string> argv = {"bash", (bench::BenchSourceDir() / "export_baseline.sh").string(),
                                     list.string(), work.string(), into.string()};
    argv.insert(argv.end(), switches.begin(), switches.end());
    bench::ChildRun run = bench::RunChecked(argv);
    if (CountArchives(into, ".7z") != size_t(packages)) throw std::runtime_error("the baseline missed packages");
    return run;
  };
  const bench::ChildRun baseline = runBaseline(base, {});
  const uint64_t baselineBytes = bench::TreeBytes(base);

  const double o = export7z.child.seconds, b = baseline.seconds;
  bench::Report(kBench, "Export All (7z):", "ours " + bench::Fixed(o, 1) + " s (" + bench::MiBps(bytes, o) +
                                                "), baseline " + bench::Fixed(b, 1) + " s (" +
                                                bench::MiBps(bytes, b) + "), time ratio " + bench::Fixed(o / b, 3) +
                                                " (target <= 1.05: " + bench::Verdict(o / b <= 1.05) + "); CPU time ours " +
                                                bench::Fixed(export7z.child.cpuSeconds, 1) + " s, baseline " +
                                                bench::Fixed(baseline.cpuSeconds, 1) + " s");
  bench::Report(kBench, "archives:", "ours " + MiB(double(export7z.archiveBytes)) + ", baseline " +
                                         MiB(double(baselineBytes)));
  bench::Report(kBench, "peak memory (7z):", "ours " + MiB(double(export7z.child.peakKiB) * 1024) +
                                                 " (quillon-headless with the 7-Zip library loaded), baseline " +
                                                 MiB(double(baseline.peakKiB) * 1024) + " (7z a -mx5)");
  if (withUnfiltered) {
    const bench::fs::path into = temp.Path() / "baseline-unfiltered";
    bench::fs::create_directories(into);
    const bench::ChildRun run = runBaseline(into, {"-mf=off"});
    bench::Report(kBench, "baseline with 7z a -mx5 -mf=off (one block, no executable filter):",
                  bench::Fixed(run.seconds, 1) + " s, CPU " + bench::Fixed(run.cpuSeconds, 1) + " s, peak memory " +
                      MiB(double(run.peakKiB) * 1024) + ", archives " + MiB(double(bench::TreeBytes(into))) +
                      "; ours/this " + bench::Fixed(o / run.seconds, 3));
  }
  if (withZip) {
    // The same export without 7-Zip: the memory of our own code, no LZMA buffers.
    const bench::fs::path zipOut = temp.Path() / "ours-zip";
    bench::fs::create_directories(zipOut);
    const ExportRun exportZip = ExportAll(machine, zipOut, temp.Path() / "ours-zip.log", packages, true);
    bench::Report(kBench, "Export All (Zip, no 7-Zip library):",
                  bench::Fixed(exportZip.child.seconds, 1) + " s (" + bench::MiBps(bytes, exportZip.child.seconds) +
                      "), peak memory " + MiB(double(exportZip.child.peakKiB) * 1024) + " (target < 100 MiB: " +
                      bench::Verdict(exportZip.child.peakKiB < 100 * 1024) + ")");
  }
  return 0;
}

}  // namespace

int main() { return bench::Main(kBench, Run); }
