// The worker helper: one run at a time, a stop that returns at once and cuts the
// worker off from its target and its boxes, and a flag per start so that a
// worker left over from an earlier run can only end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "serial/serial_port.h"
#include "tests/support/scripted_prompt.h"
#include "toolkit/worker.h"
#ifndef _WIN32
#include "tests/support/fake_line.h"
#endif

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

// A dialog as its worker sees it: counts every touch, which must stop with the stop.
struct Target {
  std::atomic<int> touches{0};
};

// Posts to its target as fast as it can until cut off, then waits in a "request"
// until released and tries to post once more.
void postingPoll(WorkerToken token, void* context) {
  auto* probe = static_cast<Probe*>(context);
  auto touch = [](void* target) {
    static_cast<Target*>(target)->touches++;
    std::this_thread::sleep_for(1ms);   // a post in progress when the stop comes
  };
  while (token.reach(touch)) probe->passes++;
  while (!probe->release.load()) std::this_thread::sleep_for(1ms);
  if (token.reach(touch)) probe->passesAfterStop++;
}

TEST(Worker, StopReturnsAtOnceAndNothingReachesTheTargetAfterIt) {
  static Probe probe;     // outlive the let-go workers
  static Target target;
  Worker worker;
  ASSERT_TRUE(workerStart(&worker, &target, postingPoll, &probe));
  while (target.touches.load() < 5) std::this_thread::sleep_for(1ms);
  auto t = std::chrono::steady_clock::now();
  EXPECT_FALSE(workerStop(&worker)) << "still inside its request: let go";
  EXPECT_LT(std::chrono::steady_clock::now() - t, 100ms) << "the stop waited for the worker";
  int touched = target.touches.load();
  probe.release = true;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(target.touches.load(), touched) << "the target was reached after the stop";
  EXPECT_EQ(probe.passesAfterStop.load(), 0);

  // A worker slot destroyed with its dialog (no close) ends the run the same way.
  static Probe second;
  static Target other;
  {
    Worker owned;
    ASSERT_TRUE(workerStart(&owned, &other, postingPoll, &second));
    while (other.touches.load() == 0) std::this_thread::sleep_for(1ms);
    t = std::chrono::steady_clock::now();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - t, 100ms);
  touched = other.touches.load();
  second.release = true;
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(other.touches.load(), touched);
  EXPECT_EQ(second.passesAfterStop.load(), 0);
}

#ifndef _WIN32
// A request that fails (a malformed reply) inside a worker: with its run on it
// shows the common box; after its dialog stopped it, no box at all.
struct BoxProbe {
  std::atomic<bool> release{false};
  std::atomic<int> status{-1};
};

void requestWhenReleased(WorkerToken, void* context) {
  auto* probe = static_cast<BoxProbe*>(context);
  while (!probe->release.load()) std::this_thread::sleep_for(1ms);
  probe->status = request_STOP__(nullptr, 0);
}

TEST(Worker, AStoppedWorkersFailedRequestShowsNoBox) {
  FakeLine line;
  ASSERT_TRUE(line.ok());
  setPortDevicePath(0, line.slavePath());
  resetModeRecord();
  linkFlagsClear();
  ASSERT_EQ(linkStart(), 0);
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  line.answerGarbage(true);
  ScriptedPrompt prompt;

  static BoxProbe ended;   // outlives the let-go worker
  Worker first;
  ASSERT_TRUE(workerStart(&first, nullptr, requestWhenReleased, &ended));
  workerStop(&first);
  ended.release = true;
  while (ended.status.load() < 0) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(ended.status.load(), STATUS_MALFORMED);
  EXPECT_EQ(prompt.messageCount(), 0u) << "a box for a worker whose dialog has gone";

  BoxProbe running;
  Worker second;
  ASSERT_TRUE(workerStart(&second, nullptr, requestWhenReleased, &running));
  running.release = true;
  while (running.status.load() < 0) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(running.status.load(), STATUS_MALFORMED);
  EXPECT_EQ(prompt.messageCount(), 1u) << "a running worker's failure is shown";
  workerStop(&second, 2000);
  linkShutdown();
}
#endif

// The hooks the link installs run on the worker's own thread, around the body,
// with the run's flag.
struct HookProbe {
  static inline std::atomic<const std::atomic<bool>*> flag{nullptr};
  static inline std::atomic<int> order{0};   // 1 started, 2 body, 3 ended
  static inline std::atomic<bool> inOrder{true};
  static void started(const std::atomic<bool>* running) {
    flag = running;
    if (order.exchange(1) != 0) inOrder = false;
  }
  static void ended() {
    if (order.exchange(3) != 2) inOrder = false;
  }
};

void markBody(WorkerToken token, void*) {
  if (HookProbe::order.exchange(2) != 1) HookProbe::inOrder = false;
  if (!token.running() || !HookProbe::flag.load() || !HookProbe::flag.load()->load()) HookProbe::inOrder = false;
}

TEST(Worker, ThreadHooksRunAroundTheBody) {
  static const WorkerThreadHooks hooks = {HookProbe::started, HookProbe::ended};
  setWorkerThreadHooks(&hooks);
  Worker worker;
  ASSERT_TRUE(workerStart(&worker, nullptr, markBody, nullptr));
  while (workerActive(&worker)) std::this_thread::sleep_for(1ms);   // runs to its end unstopped
  EXPECT_TRUE(workerStop(&worker, 2000));
  setWorkerThreadHooks(nullptr);
  EXPECT_EQ(HookProbe::order.load(), 3);
  EXPECT_TRUE(HookProbe::inOrder.load());
}

}  // namespace
