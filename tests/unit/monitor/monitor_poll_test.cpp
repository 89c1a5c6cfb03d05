// The monitors' worker: a monitor reopened while its old worker is still in a
// request never has two workers polling, a failed read ends the run with one
// notice, and the history reads once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "monitor/monitor_poll.h"
#include "tests/support/wait.h"

namespace {

using namespace std::chrono_literals;

// One fake module for every opening: a read can be held, as a request on a dead
// line or one whose error box is open.
struct FakeModule {
  std::atomic<bool> hold{false};
  std::atomic<int> inside{0};       // reads in progress
  std::atomic<int> maxInside{0};
  std::atomic<int> reads{0};
  std::atomic<uint16_t> status{0};
};
FakeModule g_module;

uint16_t fakeRead(void*, MonitorReading* reading) {
  int now = ++g_module.inside;
  int seen = g_module.maxInside.load();
  while (now > seen && !g_module.maxInside.compare_exchange_weak(seen, now)) {
  }
  ++g_module.reads;
  while (g_module.hold.load()) std::this_thread::sleep_for(1ms);
  reading->motionState = 5;
  --g_module.inside;
  return g_module.status.load();
}

// Notices per target, as the dialog of each opening would get them.
std::atomic<int> g_notices[2][3];
void countNotice(void* target, uint32_t notice) {
  g_notices[reinterpret_cast<uintptr_t>(target)][notice]++;
}

std::shared_ptr<MonitorPoll> newPoll(uint32_t periodMs = 5) {
  auto poll = std::make_shared<MonitorPoll>();
  poll->read = fakeRead;
  poll->notify = countNotice;
  poll->periodMs = periodMs;
  return poll;
}

// Polled every millisecond: the tests catch a read while it is inside.
bool waitUntil(bool (*condition)()) { return waitFor(condition, 3000, 1); }

void reset() {
  g_module.hold = false;
  g_module.inside = g_module.maxInside = g_module.reads = 0;
  g_module.status = 0;
  for (auto& row : g_notices)
    for (auto& n : row) n = 0;
}

}  // namespace

TEST(MonitorPoll, AReopenedMonitorNeverLeavesTwoWorkersPolling) {
  reset();
  // First opening: its worker is held in a request when the monitor closes.
  Worker first;
  auto firstPoll = newPoll();
  g_module.hold = true;
  ASSERT_TRUE(startMonitorPoll(&first, reinterpret_cast<void*>(0), firstPoll));
  ASSERT_TRUE(waitUntil([] { return g_module.inside.load() == 1; }));
  EXPECT_FALSE(workerStop(&first, 0)) << "closing does not wait for the request";
  firstPoll.reset();   // the dialog's state is gone

  // Second opening, while the first request is still out.
  Worker second;
  auto secondPoll = newPoll();
  ASSERT_TRUE(startMonitorPoll(&second, reinterpret_cast<void*>(1), secondPoll));
  std::this_thread::sleep_for(30ms);
  g_module.hold = false;   // the old request comes back
  ASSERT_TRUE(waitUntil([] { return g_notices[1][MONITOR_READ].load() >= 5; }));

  // From here on only the second opening reads: one read at a time.
  g_module.maxInside = 0;
  int readsBefore = g_module.reads.load();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(g_module.maxInside.load(), 1) << "two workers polled at once";
  EXPECT_GT(g_module.reads.load(), readsBefore);
  EXPECT_EQ(g_notices[0][MONITOR_READ].load(), 0) << "the closed opening's worker reported";
  MonitorReading reading;
  EXPECT_TRUE(takeMonitorReading(secondPoll.get(), &reading));
  EXPECT_EQ(reading.motionState, 5);
  EXPECT_TRUE(workerStop(&second, 2000));
}

TEST(MonitorPoll, AFailedReadEndsTheRunWithOneNoticeAndTheHistoryReadsOnce) {
  reset();
  g_module.status = 1;
  Worker worker;
  ASSERT_TRUE(startMonitorPoll(&worker, reinterpret_cast<void*>(0), newPoll()));
  ASSERT_TRUE(waitUntil([] { return g_notices[0][MONITOR_FAILED].load() == 1; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(g_module.reads.load(), 1);
  EXPECT_EQ(g_notices[0][MONITOR_READ].load(), 0);
  EXPECT_FALSE(workerActive(&worker));
  workerStop(&worker, 2000);

  reset();
  Worker once;
  ASSERT_TRUE(startMonitorPoll(&once, reinterpret_cast<void*>(1), newPoll(0)));
  ASSERT_TRUE(waitUntil([] { return g_notices[1][MONITOR_READ].load() == 1; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(g_module.reads.load(), 1);
  EXPECT_TRUE(workerStop(&once, 2000));
}

// The trend monitor reads back to back; a monitor polled beside it still gets a
// read after at most one of the trend's, and the trend keeps every reading.
std::atomic<int> g_slowReads{0}, g_kept{0};
uint16_t slowRead(void*, MonitorReading* reading) {
  std::this_thread::sleep_for(5ms);   // an exchange on the line
  reading->values[0] = ++g_slowReads;
  return 0;
}
void keepReading(void* sink, const MonitorReading& reading) {
  EXPECT_EQ(sink, &g_kept);
  EXPECT_EQ(reading.values[0], g_kept.load() + 1) << "a reading was not kept";
  g_kept.store(reading.values[0]);
}

TEST(MonitorPoll, ABackToBackReaderKeepsEveryReadingAndLeavesOthersTheirTurn) {
  reset();
  g_slowReads = 0;
  auto trend = std::make_shared<MonitorPoll>();
  trend->read = slowRead;
  trend->notify = countNotice;
  trend->backToBack = true;
  trend->keep = keepReading;
  trend->sink = std::shared_ptr<void>(&g_kept, [](void*) {});
  Worker trendWorker, other;
  ASSERT_TRUE(startMonitorPoll(&trendWorker, reinterpret_cast<void*>(0), trend));
  ASSERT_TRUE(startMonitorPoll(&other, reinterpret_cast<void*>(1), newPoll(20)));
  std::this_thread::sleep_for(600ms);
  workerStop(&other, 2000);
  workerStop(&trendWorker, 2000);
  // 600 ms of 5 ms reads: the other monitor (a read every 20 ms at most) had about
  // twenty turns; the trend read in between, never pausing for a period.
  EXPECT_GE(g_module.reads.load(), 15) << "the other monitor waited behind the trend";
  EXPECT_GE(g_slowReads.load(), 40);
  // Each reading kept before the dialog heard of it; a read the close cut short is not.
  EXPECT_GE(g_kept.load(), g_slowReads.load() - 1);
  EXPECT_EQ(g_notices[0][MONITOR_READ].load(), g_kept.load());
}
