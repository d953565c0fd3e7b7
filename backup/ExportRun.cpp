#include "backup/ExportRun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <numeric>
#include <thread>

#include "backup/ArchiveNames.h"
#include "backup/ReportText.h"
#include "platform/Errors.h"

namespace backup {

namespace {

// Union-find over device indexes.
class Groups {
 public:
  explicit Groups(size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), size_t(0)); }
  size_t Find(size_t i) { return parent_[i] == i ? i : parent_[i] = Find(parent_[i]); }
  void Join(size_t a, size_t b) { parent_[Find(a)] = Find(b); }

 private:
  std::vector<size_t> parent_;
};

// A worker's progress, told to the run's listener as the device it works on.
class WorkerProgress final : public IProgress {
 public:
  explicit WorkerProgress(const TRunProgress& listener) : listener_(listener) {}
  void Start(size_t index) {
    index_ = index;
    state_ = TProgressState();
    Tell();
  }
  void Show(const WString& title) override {
    state_.Show(title);
    Tell();
  }
  void SetText(const WString& text) override {
    state_.text = text;
    Tell();
  }
  void SetFormatAsBytes(bool asBytes) override { state_.asBytes = asBytes; }
  void SetTotal(int64_t total) override { state_.SetTotal(total); }
  void SetValue(int64_t value) override { state_.value = value; }
  void SetBar(int64_t value, int64_t total) override {
    state_.total = total;
    state_.value = value;
    Tell();
  }
  void Draw() override { Tell(); }

 private:
  void Tell() {
    if (listener_) listener_(index_, state_);
  }
  const TRunProgress& listener_;
  size_t index_ = 0;
  TProgressState state_;
};

// One device through one worker's checker.
TDeviceOutcome RunDevice(TDevice device, const TRunSettings& settings, TCatalogChecker& checker,
                         TExportedPackages& exported, IProgress& progress) {
  TDeviceOutcome outcome;
  TReportText log;
  if (!device.ReadProblem.empty()) {
    // What was read of it cannot be trusted to name its files.
    outcome.failure = device.ReadProblem;
    log.AddLine(u"The device could not be read whole: " + device.ReadProblem + u"\r\n");
    outcome.report = log.Text();
    return outcome;
  }
  try {
    device.Files = DriverFiles(device);
    outcome.verification = VerifyDriver(device, checker, log, progress);
    if (outcome.verified() && !settings.target.folder.empty()) {
      const TExportResult result = ExportPackageOnce(device, settings.target, exported, log, progress);
      outcome.archive = result.archive;
      outcome.archiveError = result.error;
      outcome.failure = result.error;
      outcome.package = result.package;
      if (!result.written() && outcome.failure.empty()) outcome.failure = u"no archive was written";
    }
  } catch (const std::exception& e) {
    outcome.failure = ExceptionMessage(e);
  }
  // An export that failed once a stop was requested was stopped by it.
  outcome.interrupted = !outcome.failure.empty() && settings.cancel && *settings.cancel;
  outcome.report = log.Text();
  return outcome;
}

TDeviceOutcome Cancelled() {
  TDeviceOutcome outcome;
  outcome.failure = u"cancelled before it started";
  outcome.interrupted = true;
  return outcome;
}

}  // namespace

WStringList ArchivesOf(const std::vector<TDeviceOutcome>& outcomes) {
  WStringList archives;
  for (const TDeviceOutcome& outcome : outcomes) archives.push_back(outcome.archive);
  return archives;
}

WString FirstReason(const TDeviceOutcome& outcome) {
  if (!outcome.failure.empty()) return outcome.failure;
  for (const TFileCheck& check : outcome.verification.checks)
    if (!check.passed)
      return check.label + u" " + check.shown + u": " + (check.error.empty() ? u"not trusted" : check.error);
  return u"the driver-store folder holds no files";
}

std::vector<std::vector<size_t>> ExportGroups(const TDeviceList& devices, const WString& outputFolder) {
  Groups groups(devices.size());
  std::map<WString, size_t> firstWithName;
  auto claim = [&](const WString& name, size_t i) {
    const auto [at, added] = firstWithName.emplace(SameFileKey(name), i);
    if (!added) groups.Join(i, at->second);
  };
  for (size_t i = 0; i < devices.size(); ++i) {
    claim(u"archive:" + ArchiveBaseName(outputFolder, devices[i]), i);
    try {
      claim(u"folder:" + WorkFolderName(devices[i]), i);
    } catch (const std::exception&) {
      // No work folder name: the export fails on its own, touching nothing.
    }
  }
  std::map<size_t, std::vector<size_t>> byRoot;
  for (size_t i = 0; i < devices.size(); ++i) byRoot[groups.Find(i)].push_back(i);
  std::vector<std::vector<size_t>> result;
  for (auto& [root, members] : byRoot) result.push_back(std::move(members));
  std::sort(result.begin(), result.end(), [](const auto& a, const auto& b) { return a.front() < b.front(); });
  return result;
}

std::vector<TDeviceOutcome> RunDevices(const TDeviceList& devices, const TRunSettings& settings,
                                       const TRunFinished& finished, const TRunProgress& progress) {
  // Verification alone touches no file: every device a group of its own.
  std::vector<std::vector<size_t>> groups;
  if (settings.target.folder.empty())
    for (size_t i = 0; i < devices.size(); ++i) groups.push_back({i});
  else
    groups = ExportGroups(devices, settings.target.folder);
  std::vector<TDeviceOutcome> outcomes(devices.size());
  std::vector<bool> done(devices.size(), false);
  std::mutex lock;
  std::condition_variable changed;
  std::atomic<size_t> nextGroup{0};
  std::exception_ptr escaped;

  auto work = [&] {
    try {
      TCatalogChecker checker;
      WorkerProgress shown(progress);
      for (size_t g; (g = nextGroup++) < groups.size();) {
        TExportedPackages exported;  // devices sharing a package share a group
        for (size_t i : groups[g]) {
          TDeviceOutcome outcome;
          if (settings.cancel && *settings.cancel) {
            outcome = Cancelled();
          } else {
            shown.Start(i);
            outcome = RunDevice(devices[i], settings, checker, exported, shown);
          }
          std::lock_guard<std::mutex> guard(lock);
          outcomes[i] = std::move(outcome);
          done[i] = true;
          changed.notify_all();
        }
      }
    } catch (...) {
      std::lock_guard<std::mutex> guard(lock);
      if (!escaped) escaped = std::current_exception();
      nextGroup = groups.size();
      changed.notify_all();
    }
  };

  const unsigned threads = std::max(1u, std::min<unsigned>(settings.jobs, unsigned(groups.size())));
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) pool.emplace_back(work);

  try {
    for (size_t next = 0; next < devices.size(); ++next) {
      std::unique_lock<std::mutex> guard(lock);
      changed.wait(guard, [&] { return done[next] || escaped; });
      if (escaped) break;
      guard.unlock();
      if (finished) finished(next, outcomes[next]);
    }
  } catch (...) {
    // The workers finish the device they are on and stop before the error goes on.
    nextGroup = groups.size();
    for (std::thread& t : pool) t.join();
    throw;
  }
  for (std::thread& t : pool) t.join();
  if (escaped) std::rethrow_exception(escaped);
  return outcomes;
}

}  // namespace backup
