// bench_offline: loading a Windows installation from its hives and scanning it,
// as a rescue from Linux does: the real Windows 8 SYSTEM hive of the tests, and a
// generated installation with 2,000 devices. Each is measured in a child process
// of its own, so that the peak memory is that of one load and scan.
// Target: load + scan under 1 s for a real PC's hives.
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "bench/support/BenchSupport.h"
#include "devices/Devices.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/offline/Machine.h"
#include "platform/offline/OfflinePlatform.h"

namespace {

constexpr const char* kBench = "bench_offline";
constexpr double kTargetSeconds = 1.0;

class CountedImages final : public ports::IImageList {
 public:
  int AddIcon(winapi::Handle) override { return count_++; }
  int Count() const override { return count_; }
  void Delete(int) override {}

 private:
  int count_ = 0;
};

class FailOnDialog final : public ports::IMessageDialogs {
 public:
  void ShowMessage(ports::MessageKind, const WString& text) override {
    throw std::runtime_error("the scan showed a dialog: " + text::ToUtf8(text));
  }
};

// The child: loads and scans `folder` once, printing "load scan devices".
int Measure(const char* folder) {
  std::unique_ptr<offline::Machine> machine;
  const double load = bench::Seconds([&] { machine = offline::Machine::Load(folder); });
  offline::OfflinePlatform platform(std::move(machine));
  FailOnDialog dialogs;
  platform.SetDialogs(&dialogs);
  ScopedPlatform installed(platform.Ports());
  BindDriverStoreLocation();
  TDeviceList devices;
  const double scan = bench::Seconds([&] {
    CountedImages images;
    devices = ScanDevices({}, CompareDeviceDescriptions, images, {});
  });
  std::printf("%.6f %.6f %zu\n", load, scan, devices.size());
  return 0;
}

// Measures one installation; `expected` devices must be found.
void Report(const std::string& what, const bench::fs::path& folder, const bench::fs::path& scratch, size_t expected) {
  bench::ChildOptions options;
  options.output = scratch / "measure.txt";
  const bench::ChildRun run = bench::RunChecked({bench::SelfExecutable().string(), "--measure", folder.string()}, options);
  std::ifstream in(options.output);
  double load = 0, scan = 0;
  size_t devices = 0;
  if (!(in >> load >> scan >> devices)) throw std::runtime_error("the measuring child printed no result");
  if (devices != expected)
    throw std::runtime_error(what + " the scan found " + std::to_string(devices) + " devices, not " +
                             std::to_string(expected));
  bench::Report(kBench, what + " load:", bench::Fixed(load * 1000, 1) + " ms");
  bench::Report(kBench, what + " scan of " + std::to_string(devices) + " devices:", bench::Fixed(scan * 1000, 1) + " ms");
  bench::Report(kBench, what + " load + scan:", bench::Fixed((load + scan) * 1000, 1) + " ms (target < " +
                                                   bench::Fixed(kTargetSeconds * 1000, 0) + " ms: " +
                                                   bench::Verdict(load + scan < kTargetSeconds) + ")");
  bench::Report(kBench, what + " peak memory:", std::to_string(run.peakKiB / 1024) + " MiB");
}

int Run() {
  const int devices = int(bench::EnvNumber("QUILLON_BENCH_OFFLINE_DEVICES", 2000));
  bench::TempFolder temp("quillon-bench-offline");
  bench::RunChecked({(bench::FixtureSourceDir() / "gen-41-real-hive").string(), temp.Path().string()});
  // 48 devices in its Enum key, one of them recorded as removed.
  Report("real Windows 8 SYSTEM hive (7.5 MiB):", temp.Path() / "system2-installation", temp.Path(), 47);

  const bench::fs::path machine = temp.Path() / "machine", installation = temp.Path() / "installation";
  bench::Generate("gen_machine.py", {machine.string(), std::to_string(devices), "250", "25"});
  bench::RunChecked({"/usr/bin/python3", (bench::FixtureSourceDir() / "machine_to_installation.py").string(),
                     machine.string(), installation.string()});
  Report("generated installation:", installation, temp.Path(), size_t(devices));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--measure") return bench::Main(kBench, [&] { return Measure(argv[2]); });
  return bench::Main(kBench, Run);
}
