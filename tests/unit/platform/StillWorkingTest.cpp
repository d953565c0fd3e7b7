// The "still working" tick of long single-file steps: who hears it, how often,
// and a blocking call that keeps the listening thread ticking while it runs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/StillWorking.h"

namespace {

using namespace std::chrono_literals;

TEST(StillWorking, ATickWithoutAListenerCallsNobodyAndABlockingCallRunsRightHere) {
  working::Tick();
  EXPECT_FALSE(working::Listening());
  EXPECT_EQ(working::WhileTicking([] { return std::this_thread::get_id(); }), std::this_thread::get_id());
}

TEST(StillWorking, TheListenerHearsAtMostOneTickPerInterval) {
  int heard = 0;
  working::ScopedListener listener([&] { ++heard; }, std::chrono::hours(1));
  for (int i = 0; i < 1000; ++i) working::Tick();
  EXPECT_EQ(heard, 0);  // the interval has not passed since it was installed

  int every = 0;
  working::ScopedListener eager([&] { ++every; }, 0ms);
  for (int i = 0; i < 5; ++i) working::Tick();
  EXPECT_EQ(every, 5);
  EXPECT_EQ(heard, 0);  // replaced while the inner one is installed
}

TEST(StillWorking, AnInnerListenerGivesTheOuterOneBackWhenItGoes) {
  int outer = 0, inner = 0;
  working::ScopedListener first([&] { ++outer; }, 0ms);
  {
    working::ScopedListener second([&] { ++inner; }, 0ms);
    working::Tick();
  }
  working::Tick();
  EXPECT_EQ(inner, 1);
  EXPECT_EQ(outer, 1);
}

TEST(StillWorking, TicksOnAnotherThreadAreNotHeardHere) {
  int heard = 0;
  working::ScopedListener listener([&] { ++heard; }, 0ms);
  std::thread worker([] {
    EXPECT_FALSE(working::Listening());
    for (int i = 0; i < 100; ++i) working::Tick();
  });
  worker.join();
  EXPECT_EQ(heard, 0);
}

TEST(StillWorking, ATickFromInsideTheListenerIsNotHeardAgain) {
  int heard = 0;
  working::ScopedListener listener(
      [&] {
        ++heard;
        working::Tick();  // the window pumping messages reaches a streaming loop again
      },
      0ms);
  working::Tick();
  EXPECT_EQ(heard, 1);
  working::Tick();
  EXPECT_EQ(heard, 2);
}

// The blocking call may end only once this thread has ticked three times while
// it ran: were it run here, or were there no ticks meanwhile, it would give up.
TEST(StillWorking, ABlockingCallRunsElsewhereWhileTheListeningThreadTicks) {
  std::mutex lock;
  std::condition_variable changed;
  int ticks = 0;
  working::ScopedListener listener(
      [&] {
        std::lock_guard guard(lock);
        ++ticks;
        changed.notify_all();
      },
      1ms);
  const auto caller = std::this_thread::get_id();
  const bool sawTicks = working::WhileTicking([&] {
    EXPECT_NE(std::this_thread::get_id(), caller);
    std::unique_lock guard(lock);
    return changed.wait_for(guard, 30s, [&] { return ticks >= 3; });
  });
  EXPECT_TRUE(sawTicks);
}

// A thread per file is worth it only for a file whose call takes a while.
TEST(StillWorking, OnlyACallOverABigFileRunsElsewhere) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("quillon-still-working-" + std::to_string(::getpid()));
  std::ofstream(file, std::ios::binary) << "small";
  const auto caller = std::this_thread::get_id();
  auto where = [] { return std::this_thread::get_id(); };
  working::ScopedListener listener([] {}, 1ms);
  EXPECT_EQ(working::WhileTickingOver(file, where), caller);
  EXPECT_EQ(working::WhileTickingOver(file.string() + ".missing", where), caller);
  std::filesystem::resize_file(file, working::kFileWorthAThread);
  EXPECT_NE(working::WhileTickingOver(file, where), caller);
  std::filesystem::remove(file);
}

TEST(StillWorking, ABlockingCallsErrorReachesTheCaller) {
  working::ScopedListener listener([] {}, 1ms);
  EXPECT_THROW(working::WhileTicking([]() -> int { throw std::runtime_error("disk gone"); }), std::runtime_error);
}

}  // namespace
