// The benchmark helpers whose faults would skew every reported number: child
// processes (exit codes, peak memory of the child alone) and the median.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>

#include "bench/support/BenchSupport.h"

namespace {

TEST(BenchChild, PassesTheExitCodeThrough) {
  EXPECT_EQ(bench::RunChild({"sh", "-c", "exit 3"}).exitCode, 3);
  EXPECT_EQ(bench::RunChild({"true"}).exitCode, 0);
}

TEST(BenchChild, RunCheckedRaisesWithTheCommandOnFailure) {
  try {
    bench::RunChecked({"sh", "-c", "exit 2"});
    FAIL() << "no error raised";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("sh -c exit 2"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("exit code 2"), std::string::npos) << e.what();
  }
}

TEST(BenchChild, StartsInTheWorkingFolderAndWritesTheOutputFile) {
  bench::TempFolder temp("quillon-bench-test");
  bench::RunChecked({"sh", "-c", "pwd; echo oops >&2"}, {.workingDir = temp.Path(), .output = temp.Path() / "out"});
  std::ifstream in(temp.Path() / "out");
  std::string where, error;
  std::getline(in, where);
  std::getline(in, error);
  EXPECT_EQ(bench::fs::canonical(where), bench::fs::canonical(temp.Path()));
  EXPECT_EQ(error, "oops");
}

// The peak memory must be the child's own: a large parent must not show in it.
TEST(BenchChild, PeakMemoryIsTheChildsOwn) {
  constexpr size_t kParent = 256u << 20;
  auto ballast = std::make_unique<char[]>(kParent);
  std::memset(ballast.get(), 1, kParent);
  const bench::ChildRun small = bench::RunChecked({"sh", "-c", "true"});
  const bench::ChildRun big = bench::RunChecked({"python3", "-c", "b = bytearray(96 << 20)"});
  EXPECT_LT(small.peakKiB, 64 * 1024);
  EXPECT_GE(big.peakKiB, 96 * 1024);
  EXPECT_LT(big.peakKiB, 200 * 1024);
  EXPECT_GT(big.cpuSeconds, 0.0);
  EXPECT_GE(big.seconds, big.cpuSeconds * 0.5);
}

TEST(BenchMedian, OfOddAndEvenCountsAndUnsortedInput) {
  EXPECT_EQ(bench::Median({5, 1, 3}), 3);
  EXPECT_EQ(bench::Median({4, 1, 3, 2}), 2.5);
  EXPECT_EQ(bench::Median({7}), 7);
  EXPECT_EQ(bench::Median({}), 0);
}

}  // namespace
