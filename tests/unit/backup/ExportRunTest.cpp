// A run of many devices: which devices share a worker, verification side by side
// on workers that each own a catalog checker, outcomes in list order whatever the
// number of workers, and a cancelled run.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "backup/ExportRun.h"
#include "tests/unit/backup/BackupMachine.h"

namespace backuptest {
namespace {

// The machine's trust port; once asked to, it holds each trust check until a
// second one is in flight (or a while has passed): checks that run side by side
// meet there, checks that take turns do not.
class MeetingTrust final : public signing_test::CountingTrust {
 public:
  using CountingTrust::CountingTrust;
  int32_t WinVerifyTrustEx(winapi::Handle w, const winapi::Guid* a, winapi::TrustData* d) override {
    const bool verify = d && d->dwStateAction == winapi::kWtdStateActionVerify;
    if (verify) {
      std::unique_lock<std::mutex> lock(mutex_);
      mostInFlight = std::max(mostInFlight, ++inFlight_);
      met_.notify_all();
      if (waitForCompany) met_.wait_for(lock, std::chrono::seconds(10), [&] { return mostInFlight >= 2; });
    }
    const int32_t result = CountingTrust::WinVerifyTrustEx(w, a, d);
    if (verify) {
      std::lock_guard<std::mutex> lock(mutex_);
      --inFlight_;
    }
    return result;
  }
  int mostInFlight = 0;
  bool waitForCompany = false;

 private:
  std::mutex mutex_;
  std::condition_variable met_;
  int inFlight_ = 0;
};

using ExportRun = BackupMachine;

std::vector<backup::TDeviceOutcome> VerifyAll(const TDeviceList& devices, unsigned jobs,
                                              const backup::TCancelFlag* cancel = nullptr) {
  std::vector<size_t> order;
  auto outcomes = backup::RunDevices(devices, {{}, jobs, cancel},
                                     [&](size_t i, const backup::TDeviceOutcome&) { order.push_back(i); });
  std::vector<size_t> expected(devices.size());
  for (size_t i = 0; i < expected.size(); ++i) expected[i] = i;
  EXPECT_EQ(order, expected) << "finished in list order";
  return outcomes;
}

TEST_F(ExportRun, TwoWorkersVerifySideBySideAndReportWhatOneWorkerReports) {
  MeetingTrust& trust = Start<MeetingTrust>();
  ASSERT_GE(devices.size(), 4u);
  const auto alone = VerifyAll(devices, 1);
  EXPECT_EQ(trust.mostInFlight, 1);
  trust.mostInFlight = 0;
  trust.waitForCompany = true;
  const auto sideBySide = VerifyAll(devices, 2);
  EXPECT_EQ(trust.mostInFlight, 2) << "no two trust checks were in flight at once";
  ASSERT_EQ(sideBySide.size(), alone.size());
  for (size_t i = 0; i < alone.size(); ++i) {
    SCOPED_TRACE(text::ToUtf8(devices[i].InstanceId));
    EXPECT_EQ(sideBySide[i].report, alone[i].report);
    EXPECT_EQ(sideBySide[i].verified(), alone[i].verified());
    EXPECT_FALSE(sideBySide[i].exported()) << "nothing is exported without a target folder";
  }
  // Each worker's checker closed the catalogs it opened.
  EXPECT_EQ(trust.opens.load(), trust.closes.load());
}

TEST_F(ExportRun, ACancelledRunStartsNoDeviceAndSaysSoForEach) {
  Start();
  backup::TCancelFlag cancel{true};
  for (const backup::TDeviceOutcome& outcome : VerifyAll(devices, 2, &cancel)) {
    EXPECT_FALSE(outcome.verified());
    EXPECT_EQ(outcome.report, u"");
    EXPECT_EQ(outcome.failure, u"cancelled before it started");
  }
}

TEST(ExportGroups, DevicesSharingAnArchiveOrWorkFolderNameStayTogether) {
  auto device = [](const char16_t* description, const char16_t* version, const char16_t* inf) {
    TDevice d;
    d.DriverDescription = description;
    d.DriverVersion = version;
    d.OriginalInfName = inf;
    d.DriverStore = WString(u"/store/") + inf + u"/" + inf;
    return d;
  };
  const TDeviceList devices = {device(u"Hub", u"1.0", u"hub.inf"),      device(u"Audio", u"2.0", u"audio.inf"),
                               device(u"HUB", u"1.0", u"other.inf"),    device(u"Net", u"3.0", u"net.inf"),
                               device(u"Serial", u"4.0", u"OTHER.inf"), device(u"Audio", u"2.0", u"audio.inf"),
                               device(u"Ger\u00e4t", u"1.0", u"g1.inf"), device(u"GER\u00c4T", u"1.0", u"g2.inf")};
  // 0 and 2 share an archive name (letter case aside), 2 and 4 a work folder, 1 and 5
  // both; 6 and 7 may name one file on Windows, which folds case beyond ASCII.
  EXPECT_EQ(backup::ExportGroups(devices, u"/out"),
            (std::vector<std::vector<size_t>>{{0, 2, 4}, {1, 5}, {3}, {6, 7}}));
}

}  // namespace
}  // namespace backuptest
