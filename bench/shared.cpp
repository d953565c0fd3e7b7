// bench_shared: Export All on a machine whose devices share driver packages (by
// default 40 devices over 25 signed packages, 1 GiB), side by side in one run:
// the window's Export All (quillon-headless export-all), `quillon export-all
// --jobs 1` and `--jobs <cores>`, and the standard-tool pipeline doing the work
// the way Export All used to, device by device (copy the package folder without
// *.pnf, `7z a -mx5` or `zip -6 -r`, delete the copy). For Zip also the pipeline
// over each package once, the bare compressor comparison. Reports time, CPU time
// and peak memory of each, their ratios to the pipeline, and whether the
// archives of the --jobs runs are the same bytes. Peak memory of the 7z runs is set
// against the 7-Zip library's own: one archive of the largest package written
// by our archive step in a process of its own (bench_archive --write).
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>

#include "bench/support/BenchSupport.h"

namespace {

constexpr const char* kBench = "bench_shared";

std::string MiB(double bytes) { return bench::Fixed(bytes / (1 << 20), 1) + " MiB"; }

struct Format {
  std::string name;       // "7z" or "Zip"
  std::string extension;  // of our archives
  bool zip;
};

// The archives of a run: file name to path.
std::map<std::string, bench::fs::path> Archives(const bench::fs::path& folder, const std::string& extension) {
  std::map<std::string, bench::fs::path> found;
  for (const auto& e : bench::fs::directory_iterator(folder))
    if (e.path().extension() == extension) found[e.path().filename().string()] = e.path();
  return found;
}

std::string ReadAll(const bench::fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Names, sizes and CRCs of an archive's entries (`7z l -slt` reads both formats).
std::string Content(const bench::fs::path& archive, const bench::fs::path& scratch) {
  const bench::fs::path listing = scratch / "listing.txt";
  bench::RunChecked({"7z", "l", "-slt", "-ba", archive.string()}, {.output = listing});
  std::ifstream in(listing);
  std::string content;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("Path = ", 0) == 0 || line.rfind("Size = ", 0) == 0 || line.rfind("CRC = ", 0) == 0)
      content += line + "\n";
  return content;
}

struct Run {
  std::string label;
  bench::ChildRun child;
};

class SharedMachine {
 public:
  SharedMachine(bench::TempFolder& temp, int devices, int packages, double megabytes)
      : temp_(temp), machine_(temp.Path() / "machine"), devicesList_(temp.Path() / "devices.tsv") {
    bench::Generate("gen_machine.py", {machine_.string(), std::to_string(devices), std::to_string(packages),
                                       bench::Fixed(megabytes, 0), "--sign", bench::FixtureSourceDir().string(),
                                       "--devices", devicesList_.string()});
    // Host paths in the lists the pipeline reads; one line per package for its bare run.
    std::ifstream in(devicesList_);
    std::ofstream perDevice(temp.Path() / "per-device.tsv"), perPackage(temp.Path() / "per-package.tsv");
    std::set<std::string> seen;
    for (std::string line; std::getline(in, line);) {
      const size_t tab = line.find('\t');
      const std::string folder = (machine_ / line.substr(0, tab)).string(), name = line.substr(tab + 1);
      perDevice << folder << '\t' << name << '\n';
      if (seen.insert(folder).second) {
        perPackage << folder << '\t' << name << '\n';
        if (bench::TreeBytes(folder) > largestBytes_) largestBytes_ = bench::TreeBytes(largest_ = folder);
      }
      archiveNames_.insert(name);
    }
    const bench::fs::path store = machine_ / "C/Windows/System32/DriverStore/FileRepository";
    storeBytes_ = bench::TreeBytes(store);
    bench::Report(kBench, "machine:", std::to_string(devices) + " devices over " + std::to_string(seen.size()) +
                                          " signed packages (" + std::to_string(archiveNames_.size()) +
                                          " archive names), " + MiB(double(storeBytes_)) + " in " +
                                          std::to_string(bench::TreeFiles(store).size()) + " files");
    std::vector<std::string> warm = {"cat"};
    for (const auto& f : bench::TreeFiles(store)) warm.push_back(f.string());
    bench::RunChecked(warm);
  }

  uint64_t StoreBytes() const { return storeBytes_; }

  // A fresh, empty folder for one run's output.
  bench::fs::path Out(const std::string& label) {
    const bench::fs::path out = temp_.Path() / ("out-" + label);
    bench::fs::remove_all(out);
    bench::fs::create_directories(out);
    return out;
  }

  // Raises unless `out` holds one archive per archive name and the log no failure.
  void Check(const std::string& label, const bench::fs::path& out, const Format& format,
             const bench::fs::path& log) const {
    const size_t archives = Archives(out, format.extension).size();
    std::ifstream in(log);
    size_t failures = 0;
    for (std::string line; std::getline(in, line);)
      failures += line.find("Trust      : Failed") != std::string::npos || line.find("[error]") != std::string::npos;
    if (archives != archiveNames_.size() || failures)
      throw std::runtime_error(label + " wrote " + std::to_string(archives) + " of " +
                               std::to_string(archiveNames_.size()) + " archives with " + std::to_string(failures) +
                               " failures (log " + log.string() + ")");
  }

  Run Window(const Format& format) {
    const std::string label = "window-" + format.name;
    const bench::fs::path out = Out(label), log = temp_.Path() / (label + ".log");
    std::vector<std::string> argv = {QUILLON_HEADLESS, "--machine", machine_.string(), "--pick", out.string()};
    if (format.zip) argv.push_back("--no-7zip");
    argv.push_back("export-all");
    Run run{"window's Export All", bench::RunChecked(argv, {.output = log})};
    Check(label, out, format, log);
    return run;
  }

  Run Cli(const Format& format, unsigned jobs) {
    const std::string label = "quillon-" + format.name + "-jobs" + std::to_string(jobs);
    const bench::fs::path out = Out(label), log = temp_.Path() / (label + ".log");
    std::vector<std::string> argv = {QUILLON_CLI, "--windows", machine_.string(), "export-all", "--to", out.string(),
                                     "--jobs", std::to_string(jobs)};
    if (format.zip) argv.push_back("--zip");
    Run run{"quillon --jobs " + std::to_string(jobs), bench::RunChecked(argv, {.output = log})};
    Check(label, out, format, log);
    return run;
  }

  Run Pipeline(const Format& format, bool perPackage) {
    const std::string label = std::string("pipeline-") + (perPackage ? "package-" : "device-") + format.name;
    const bench::fs::path out = Out(label), work = Out(label + "-work");
    std::vector<std::string> argv = {"bash", (bench::BenchSourceDir() / "export_baseline.sh").string()};
    if (format.zip) argv.push_back("--zip");
    argv.insert(argv.end(), {(temp_.Path() / (perPackage ? "per-package.tsv" : "per-device.tsv")).string(),
                             work.string(), out.string()});
    const std::string tool = format.zip ? "zip -6 -r" : "7z a -mx5";
    Run run{(perPackage ? "pipeline per package (" : "pipeline per device (") + tool + ")",
            bench::RunChecked(argv)};
    if (Archives(out, format.zip ? ".zip" : ".7z").size() != archiveNames_.size())
      throw std::runtime_error("the pipeline missed archives (" + out.string() + ")");
    return run;
  }

  // The peak memory of one archive of the largest package through the 7-Zip
  // library alone (our archive step in a process of its own), and of `7z a -mx5`.
  std::pair<long, long> SevenZipOwnPeaks() {
    const bench::fs::path out = Out("largest");
    const long library =
        bench::RunChecked({QUILLON_ARCHIVE_WRITER, "--write", "7z", largest_.string(), (out / "library").string()})
            .peakKiB;
    const long tool = bench::RunChecked({"7z", "a", "-mx5", "-bd", (out / "tool.7z").string(), "."},
                                        {.workingDir = largest_})
                          .peakKiB;
    return {library, tool};
  }
  uint64_t LargestBytes() const { return largestBytes_; }

  // "byte-identical" or what differs, comparing two --jobs runs' archives.
  std::string Compare(const Format& format, unsigned a, unsigned b) const {
    const auto left = Archives(temp_.Path() / ("out-quillon-" + format.name + "-jobs" + std::to_string(a)),
                               format.extension);
    const auto right = Archives(temp_.Path() / ("out-quillon-" + format.name + "-jobs" + std::to_string(b)),
                                format.extension);
    if (left.size() != right.size()) return "DIFFERENT archive sets";
    size_t same = 0, sameContent = 0;
    for (const auto& [name, path] : left) {
      const auto other = right.find(name);
      if (other == right.end()) return "DIFFERENT archive sets";
      if (ReadAll(path) == ReadAll(other->second))
        ++same;
      else if (Content(path, temp_.Path()) == Content(other->second, temp_.Path()))
        ++sameContent;
    }
    std::string verdict = std::to_string(same) + " of " + std::to_string(left.size()) + " archives byte-identical";
    if (sameContent)
      verdict += ", " + std::to_string(sameContent) +
                 " with the same entries, sizes and CRCs but other bytes (file times of the work-folder copies)";
    if (same + sameContent != left.size()) verdict += ", the rest DIFFERENT";
    return verdict;
  }

 private:
  bench::TempFolder& temp_;
  bench::fs::path machine_, devicesList_;
  std::set<std::string> archiveNames_;
  uint64_t storeBytes_ = 0, largestBytes_ = 0;
  bench::fs::path largest_;  // the largest package folder
};

std::string Line(const Run& run, const Run& pipeline, uint64_t bytes) {
  const bench::ChildRun& c = run.child;
  return run.label + ": " + bench::Fixed(c.seconds, 1) + " s (" + bench::MiBps(bytes, c.seconds) + "), CPU " +
         bench::Fixed(c.cpuSeconds, 1) + " s, peak " + MiB(double(c.peakKiB) * 1024) + "; to the pipeline: time " +
         bench::Fixed(c.seconds / pipeline.child.seconds, 3) + ", CPU time " +
         bench::Fixed(c.cpuSeconds / pipeline.child.cpuSeconds, 3);
}

void RunFormat(SharedMachine& machine, const Format& format, unsigned cores, bool perPackagePipeline) {
  const uint64_t bytes = machine.StoreBytes();
  std::vector<Run> runs;
  runs.push_back(machine.Window(format));
  runs.push_back(machine.Cli(format, 1));
  if (cores > 1) runs.push_back(machine.Cli(format, cores));
  const Run pipeline = machine.Pipeline(format, false);
  const std::string what = format.name + ":";
  for (const Run& run : runs) bench::Report(kBench, what, Line(run, pipeline, bytes));
  bench::Report(kBench, what, pipeline.label + ": " + bench::Fixed(pipeline.child.seconds, 1) + " s (" +
                                  bench::MiBps(bytes, pipeline.child.seconds) + "), CPU " +
                                  bench::Fixed(pipeline.child.cpuSeconds, 1) + " s, peak " +
                                  MiB(double(pipeline.child.peakKiB) * 1024));
  const Run& widest = runs.back();
  if (!format.zip) {
    const double ratio = widest.child.seconds / pipeline.child.seconds;
    const double cpu = widest.child.cpuSeconds / pipeline.child.cpuSeconds;
    const auto [library, tool] = machine.SevenZipOwnPeaks();
    const double memory = double(widest.child.peakKiB) / double(library);
    bench::Report(kBench, what,
                  widest.label + " / pipeline: time " + bench::Fixed(ratio, 3) + ", CPU time " + bench::Fixed(cpu, 3) +
                      " (target <= 0.75: " + bench::Verdict(ratio <= 0.75) + ")");
    bench::Report(kBench, what,
                  "peak memory of " + widest.label + " " + MiB(double(widest.child.peakKiB) * 1024) + " = " +
                      bench::Fixed(memory, 2) + " x the 7-Zip library's own for one archive of the largest package (" +
                      MiB(double(machine.LargestBytes())) + ": " + MiB(double(library) * 1024) +
                      " in our archive step alone, " + MiB(double(tool) * 1024) + " in 7z a -mx5) (target <= 2: " +
                      bench::Verdict(memory <= 2) + "); " +
                      bench::Fixed(double(widest.child.peakKiB) / double(pipeline.child.peakKiB), 2) +
                      " x the per-device pipeline's peak");
  } else {
    const Run& window = runs.front();
    const double vsDevice = pipeline.child.seconds / window.child.seconds;
    std::string line = "window's Export All throughput / the per-device pipeline's " + bench::Fixed(vsDevice, 2) +
                       " (target >= 1.7: " + bench::Verdict(vsDevice >= 1.7) + ")";
    if (perPackagePipeline) {
      const Run bare = machine.Pipeline(format, true);
      bench::Report(kBench, what, Line(bare, pipeline, bytes));
      line += "; / the per-package pipeline's " + bench::Fixed(bare.child.seconds / window.child.seconds, 2) +
              " (CPU time " + bench::Fixed(bare.child.cpuSeconds / window.child.cpuSeconds, 2) + ")";
    }
    line += "; peak memory " + MiB(double(window.child.peakKiB) * 1024) + " (target < 100 MiB: " +
            bench::Verdict(window.child.peakKiB < 100 * 1024) + ")";
    bench::Report(kBench, what, line);
  }
  if (cores > 1)
    bench::Report(kBench, what, "quillon --jobs 1 against --jobs " + std::to_string(cores) + ": " +
                                    machine.Compare(format, 1, cores));
}

int Main() {
  const double megabytes = bench::EnvNumber("QUILLON_BENCH_SHARED_MB", 1024);
  const int devices = int(bench::EnvNumber("QUILLON_BENCH_SHARED_DEVICES", 40));
  const int packages = int(bench::EnvNumber("QUILLON_BENCH_SHARED_PACKAGES", 25));
  const bool with7z = bench::EnvNumber("QUILLON_BENCH_SHARED_7Z", 1) != 0;
  const bool withZip = bench::EnvNumber("QUILLON_BENCH_SHARED_ZIP", 1) != 0;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  bench::TempFolder temp("quillon-bench-shared");
  SharedMachine machine(temp, devices, packages, megabytes);
  bench::Report(kBench, "cores:", std::to_string(cores) + " (numbers are only comparable within this run)");
  if (withZip) RunFormat(machine, {"Zip", ".Zip", true}, cores, true);
  if (with7z) RunFormat(machine, {"7z", ".7z", false}, cores, false);
  return 0;
}

}  // namespace

int main() { return bench::Main(kBench, Main); }
