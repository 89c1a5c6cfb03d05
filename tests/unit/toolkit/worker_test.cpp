// The worker helper: one run at a time, a bounded stop, and a flag per start so
// that a worker left over from an earlier run can only end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "toolkit/worker.h"

namespace {

using namespace std::chrono_literals;

struct Probe {
  std::atomic<bool> release{false};     // lets a blocked body return
  std::atomic<int> passes{0};           // loop passes made while running
  std::atomic<int> passesAfterStop{0};  // passes made with the flag clear: must stay 0
};

// A poll loop whose "request" blocks until released, as one held in an error box.
void blockingPoll(WorkerToken token, void* context) {
  auto* probe = static_cast<Probe*>(context);
  while (token.running()) {
    probe->passes++;
    while (!probe->release.load()) std::this_thread::sleep_for(1ms);
    if (!token.running()) return;   // the answer came after the stop: touch nothing
    probe->passes++;
  }
}

void shortRun(WorkerToken token, void* context) {
  auto* probe = static_cast<Probe*>(context);
  if (token.running()) probe->passes++;
}

TEST(Worker, ABlockedWorkerIsLeftToEndAndANewRunHasItsOwnFlag) {
  static Probe old;   // outlives a detached worker
  Worker worker;
  ASSERT_TRUE(workerStart(&worker, nullptr, blockingPoll, &old));
  EXPECT_FALSE(workerStart(&worker, nullptr, shortRun, &old)) << "one run at a time";
  while (old.passes.load() == 0) std::this_thread::sleep_for(1ms);

  auto t = std::chrono::steady_clock::now();
  EXPECT_FALSE(workerStop(&worker, 100)) << "still blocked: detached, not joined";
  EXPECT_LT(std::chrono::steady_clock::now() - t, 2s);
  EXPECT_FALSE(workerActive(&worker));

  // The next opening starts its own run; releasing the old one must not revive it.
  Probe fresh;
  fresh.release = true;
  ASSERT_TRUE(workerStart(&worker, nullptr, blockingPoll, &fresh));
  int before = old.passes.load();
  old.release = true;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(old.passes.load(), before) << "the old worker ended instead of polling again";
  EXPECT_GT(fresh.passes.load(), 0);
  EXPECT_TRUE(workerStop(&worker, 2000));
}

TEST(Worker, ARunThatEndedByItselfMakesRoomForTheNext) {
  Probe probe;
  Worker worker;
  ASSERT_TRUE(workerStart(&worker, reinterpret_cast<void*>(0x1234), shortRun, &probe));
  while (workerActive(&worker)) std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(workerStart(&worker, nullptr, shortRun, &probe));
  while (workerActive(&worker)) std::this_thread::sleep_for(1ms);
  EXPECT_TRUE(workerStop(&worker, 2000));
  EXPECT_EQ(probe.passes.load(), 2);
  EXPECT_TRUE(workerStop(&worker, 0)) << "stopping with none running is harmless";
}

}  // namespace
