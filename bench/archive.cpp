// bench_archive: our Zip writer against `zip -6 -r` and our 7z writer (the 7-Zip
// library through ArchiveFiles) against `7z a -mx5`, on a ~200 MB driver-like
// tree, side by side in one run; and the peak memory of a process doing only our
// writer, for two trees of different size and largest file.
//
// `bench_archive --write zip|7z SOURCE ARCHIVE` is that process: it runs only
// the archive step, as the export commands do.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "backup/ArchiveStep.h"
#include "backup/ReportText.h"
#include "bench/support/BenchSupport.h"
#include "platform/Platform.h"
#include "platform/offline/Machine.h"
#include "platform/offline/OfflinePlatform.h"

namespace {

constexpr const char* kBench = "bench_archive";
constexpr const char* kSevenZipLibrary = "/usr/lib/p7zip/7z.so";

int WriteOnly(const std::string& format, const std::string& source, const std::string& archive) {
  // An empty offline machine: its library port loads host paths as they are.
  bench::TempFolder machine("quillon-bench-writer");
  std::ofstream(machine.Path() / "machine.ini") << "[machine]\r\n";
  offline::OfflinePlatform platform(offline::Machine::Load(machine.Path()));
  ScopedPlatform installed(platform.Ports());
  backup::TReportText log;
  backup::TNoProgress progress;
  WString name = text::FromUtf8(archive), error;
  const WString library = format == "7z" ? text::W(kSevenZipLibrary) : WString();
  if (backup::ArchiveFiles(log, progress, library, name, text::FromUtf8(source), text::W("*.*"), {}, false, error))
    return 0;
  std::fprintf(stderr, "%s: %s\n", kBench, text::ToUtf8(error).c_str());
  return 1;
}

struct Side {
  std::vector<double> seconds, cpuSeconds;
  long peakKiB = 0;
  uintmax_t archiveBytes = 0;
};

// One timed run of a child that writes `archive`; the archive is removed after.
void Measure(Side& side, const std::vector<std::string>& argv, const bench::fs::path& cwd,
             const bench::fs::path& archive) {
  const bench::ChildRun run = bench::RunChecked(argv, {.workingDir = cwd});
  side.seconds.push_back(run.seconds);
  side.cpuSeconds.push_back(run.cpuSeconds);
  side.peakKiB = std::max(side.peakKiB, run.peakKiB);
  side.archiveBytes = bench::fs::file_size(archive);
  bench::fs::remove(archive);
}

std::string MiB(double bytes) { return bench::Fixed(bytes / (1 << 20), 1) + " MiB"; }

std::string Times(const std::vector<double>& seconds) {
  std::string out;
  for (double s : seconds) out += (out.empty() ? "" : "/") + bench::Fixed(s, 1);
  return out + " s";
}

void Compare(const char* format, const Side& ours, const Side& peer, const char* peerName, uint64_t bytes) {
  const double o = bench::Median(ours.seconds), p = bench::Median(peer.seconds);
  const double oc = bench::Median(ours.cpuSeconds), pc = bench::Median(peer.cpuSeconds);
  bench::Report(kBench, std::string(format) + ":",
                "ours " + bench::MiBps(bytes, o) + " (" + Times(ours.seconds) + "), " + peerName + " " +
                    bench::MiBps(bytes, p) + " (" + Times(peer.seconds) + "), throughput ratio " +
                    bench::Fixed(p / o, 3) + " (target >= 0.95: " + bench::Verdict(p / o >= 0.95) + ", median of " +
                    std::to_string(ours.seconds.size()) + ")");
  bench::Report(kBench, std::string(format) + " CPU time (user + system):",
                "ours " + Times(ours.cpuSeconds) + ", " + peerName + " " + Times(peer.cpuSeconds) +
                    ", ratio peer/ours " + bench::Fixed(pc / oc, 3));
  bench::Report(kBench, std::string(format) + " archive size:",
                "ours " + MiB(double(ours.archiveBytes)) + ", " + peerName + " " + MiB(double(peer.archiveBytes)));
}

uintmax_t LargestFile(const bench::fs::path& tree) {
  uintmax_t largest = 0;
  for (const auto& f : bench::TreeFiles(tree)) largest = std::max(largest, bench::fs::file_size(f));
  return largest;
}

int Run() {
  const double megabytes = bench::EnvNumber("QUILLON_BENCH_ARCHIVE_MB", 200);
  const int zipRounds = int(bench::EnvNumber("QUILLON_BENCH_ZIP_ROUNDS", 3));
  const int sevenZipRounds = int(bench::EnvNumber("QUILLON_BENCH_7Z_ROUNDS", 2));
  bench::TempFolder temp("quillon-bench-archive");
  const bench::fs::path big = temp.Path() / "tree", small = temp.Path() / "small";
  // The large tree holds one file of a quarter of its size; the small one a fifth of the bytes.
  bench::Generate("gen_tree.py", {big.string(), bench::Fixed(megabytes, 0), bench::Fixed(megabytes / 4, 0)});
  bench::Generate("gen_tree.py", {small.string(), bench::Fixed(megabytes / 5, 0)});
  const uint64_t bytes = bench::TreeBytes(big);
  bench::Report(kBench, "tree:", std::to_string(bench::TreeFiles(big).size()) + " files, " + MiB(double(bytes)) +
                                     ", largest file " + MiB(double(LargestFile(big))));

  std::vector<std::string> warm = {"cat"};
  for (const auto& f : bench::TreeFiles(big)) warm.push_back(f.string());
  bench::RunChecked(warm);

  const std::string self = bench::SelfExecutable().string();
  const bench::fs::path out = temp.Path() / "out";
  bench::fs::create_directories(out);
  auto ours = [&](const char* format, const bench::fs::path& tree, Side& side) {
    const bench::fs::path archive = out / "ours";
    Measure(side, {self, "--write", format, tree.string(), archive.string()}, {},
            archive.string() + (std::strcmp(format, "7z") == 0 ? ".7z" : ".Zip"));
  };

  Side zipOurs, zipPeer, sevenOurs, sevenPeer;
  auto zipPeerRun = [&] {
    Measure(zipPeer, {"zip", "-q", "-6", "-r", (out / "peer.zip").string(), "."}, big, out / "peer.zip");
  };
  for (int r = 0; r < zipRounds; ++r) {  // alternating, so that load changes hit both alike
    if (r % 2) zipPeerRun();
    ours("zip", big, zipOurs);
    if (r % 2 == 0) zipPeerRun();
  }
  Compare("Zip", zipOurs, zipPeer, "zip -6 -r", bytes);
  auto sevenZipPeer = [&] {
    Measure(sevenPeer, {"7z", "a", "-mx5", "-bd", (out / "peer.7z").string(), "."}, big, out / "peer.7z");
  };
  for (int r = 0; r < sevenZipRounds; ++r) {  // ours first, then the peer first, and so on
    if (r % 2) sevenZipPeer();
    ours("7z", big, sevenOurs);
    if (r % 2 == 0) sevenZipPeer();
  }
  Compare("7z", sevenOurs, sevenPeer, "7z a -mx5", bytes);

  Side zipSmall, sevenSmall;
  ours("zip", small, zipSmall);
  ours("7z", small, sevenSmall);
  auto memory = [&](const char* format, const Side& large, const Side& little, const Side& peer) {
    bench::Report(kBench, std::string("peak memory, our ") + format + " writer process:",
                  MiB(double(large.peakKiB) * 1024) + " for " + MiB(double(bytes)) + " (largest file " +
                      MiB(double(LargestFile(big))) + "), " + MiB(double(little.peakKiB) * 1024) + " for " +
                      MiB(double(bench::TreeBytes(small))) + " (largest file " + MiB(double(LargestFile(small))) +
                      "); peer " + MiB(double(peer.peakKiB) * 1024));
  };
  memory("Zip", zipOurs, zipSmall, zipPeer);
  memory("7z", sevenOurs, sevenSmall, sevenPeer);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return bench::Main(kBench, [&] {
    if (argc == 5 && std::strcmp(argv[1], "--write") == 0) return WriteOnly(argv[2], argv[3], argv[4]);
    return Run();
  });
}
