#include "cli/ExportRun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <numeric>
#include <thread>

#include "app/ExportNames.h"

namespace cli {

namespace {

// Names Windows may take for one file: letter case aside, and (as Windows folds
// case beyond ASCII too) every character outside ASCII taken as possibly equal.
WString Folded(const WString& s) {
  WString folded = text::UpperAscii(s);
  for (char16_t& c : folded)
    if (c >= 0x80) c = u'\uFFFD';
  return folded;
}

// Union-find over device indexes.
class Groups {
 public:
  explicit Groups(size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), size_t(0)); }
  size_t Find(size_t i) { return parent_[i] == i ? i : parent_[i] = Find(parent_[i]); }
  void Join(size_t a, size_t b) { parent_[Find(a)] = Find(b); }

 private:
  std::vector<size_t> parent_;
};

}  // namespace

std::vector<std::vector<size_t>> ExportGroups(const TDeviceList& devices, const WString& outputFolder) {
  Groups groups(devices.size());
  std::map<WString, size_t> firstWithName;
  auto claim = [&](const WString& name, size_t i) {
    const auto [at, added] = firstWithName.emplace(Folded(name), i);
    if (!added) groups.Join(i, at->second);
  };
  for (size_t i = 0; i < devices.size(); ++i) {
    claim(u"archive:" + exportnames::ArchiveBaseName(outputFolder, devices[i]), i);
    try {
      claim(u"folder:" + exportnames::WorkFolderName(devices[i]), i);
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

std::vector<DeviceOutcome> ExportDevices(
    const TDeviceList& devices, const ExportSettings& settings,
    const std::function<void(size_t, const DeviceOutcome&)>& finished,
    const std::function<void(size_t, const WString&, const WString&, const WString&)>& progress) {
  const std::vector<std::vector<size_t>> groups = ExportGroups(devices, settings.outputFolder);
  std::vector<DeviceOutcome> outcomes(devices.size());
  std::vector<bool> done(devices.size(), false);
  std::mutex lock;
  std::condition_variable changed;
  std::atomic<size_t> nextGroup{0};
  std::exception_ptr escaped;

  auto work = [&] {
    try {
      size_t current = 0;  // the device this thread works on
      DeviceWorker worker(settings.sevenZipLibrary, settings.outputFolder,
                          [&](const WString& title, const WString& text, const WString& caption) {
                            if (progress) progress(current, title, text, caption);
                          });
      for (size_t g; (g = nextGroup++) < groups.size();) {
        TExportedPackages exported;  // devices sharing a package share a group
        for (size_t i : groups[g]) {
          current = i;
          if (progress) progress(i, WString(), WString(), WString());
          DeviceOutcome outcome = worker.Export(devices[i], exported);
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

}  // namespace cli
