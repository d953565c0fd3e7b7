// bench_scan: ScanDevices over a offline machine with 5,000 present devices.
// Reports the median scan time over several runs, the cost per device, and
// whether two scans give the same records.
#include <time.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "bench/support/BenchSupport.h"
#include "devices/Devices.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/offline/Machine.h"
#include "platform/offline/OfflinePlatform.h"

namespace {

constexpr const char* kBench = "bench_scan";

// A scan must not show a failure dialog; each one is counted.
class CountedDialogs final : public ports::IMessageDialogs {
 public:
  void ShowMessage(ports::MessageKind, const WString& text) override {
    ++shown;
    std::fprintf(stderr, "%s: dialog: %s\n", kBench, text::ToUtf8(text).c_str());
  }
  int shown = 0;
};

class CountedImages final : public ports::IImageList {
 public:
  int AddIcon(winapi::Handle) override { return 4 + count_++; }
  int Count() const override { return count_; }
  void Delete(int) override {}

 private:
  int count_ = 0;
};

// CPU time of this thread: less disturbed than the wall clock by other load.
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

TDeviceList Scan() {
  CountedImages images;  // fresh per scan, as the window rebuilds its tree
  return ScanDevices({}, CompareDeviceDescriptions, images, {});
}

int Run() {
  const int devices = int(bench::EnvNumber("QUILLON_BENCH_SCAN_DEVICES", 5000));
  const int runs = int(bench::EnvNumber("QUILLON_BENCH_SCAN_RUNS", 7));
  bench::TempFolder temp("quillon-bench-scan");
  const bench::fs::path machineDir = temp.Path() / "machine";
  // Devices share 250 packages, as many devices of one kind share an INF.
  bench::Generate("gen_machine.py", {machineDir.string(), std::to_string(devices), "250", "25"});

  std::unique_ptr<offline::Machine> machine;
  const double load = bench::Seconds([&] { machine = offline::Machine::Load(machineDir); });
  bench::Report(kBench, "machine folder load (registry.reg parse):", bench::Fixed(load * 1000, 1) + " ms");
  offline::OfflinePlatform platform(std::move(machine));
  CountedDialogs dialogs;
  platform.SetDialogs(&dialogs);
  ScopedPlatform installed(platform.Ports());
  BindDriverStoreLocation();

  TDeviceList first, last;
  std::vector<double> times, cpuTimes;
  for (int i = 0; i < runs; ++i) {
    TDeviceList list;
    const double cpuBefore = ThreadCpuSeconds();
    times.push_back(bench::Seconds([&] { list = Scan(); }));
    cpuTimes.push_back(ThreadCpuSeconds() - cpuBefore);
    (i == 0 ? first : last) = std::move(list);
  }
  if (int(first.size()) != devices)
    throw std::runtime_error("the scan found " + std::to_string(first.size()) + " devices, not " +
                             std::to_string(devices));
  const double median = bench::Median(times);
  std::string all;
  for (double t : times) all += bench::Fixed(t * 1000, 0) + " ";
  bench::Report(kBench, "runs (ms):", all);
  bench::Report(kBench, "median scan of " + std::to_string(devices) + " devices:", bench::Fixed(median * 1000, 1) + " ms");
  bench::Report(kBench, "cost per device:", bench::Fixed(median * 1e6 / devices, 1) + " us (CPU time " +
                                                bench::Fixed(bench::Median(cpuTimes) * 1e6 / devices, 1) + " us)");
  const bool same = runs < 2 || first == last;
  bench::Report(kBench, "two scans give the same records:", std::string(same ? "yes" : "NO") + " (" +
                                                                 std::to_string(first.size()) + " records)");
  bench::Report(kBench, "failure dialogs:", std::to_string(dialogs.shown));
  return same && dialogs.shown == 0 ? 0 : 1;
}

}  // namespace

int main() { return bench::Main(kBench, Run); }
