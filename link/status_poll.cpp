// Status poll thread and startStatusPolling.
#include "link/status_poll.h"
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include "link/link_state.h"
#include "link/request.h"

namespace {

// Shared between the poll thread and its starter, so a thread left running after
// a bounded wait at shutdown never touches freed state.
struct PollState {
  std::atomic<uint32_t> running{1};
  std::mutex lock;
  std::condition_variable ended;
  bool done = false;
};

std::mutex g_pollLock;
std::shared_ptr<PollState> g_poll;   // current poll thread's state
std::thread g_pollThread;

void pollLoop(std::shared_ptr<PollState> state) {
  while (state->running.load() != 0) {
    uint8_t before[4] = {g_moduleStatus.ready.load(), g_moduleStatus.servoOn.load(),
                         g_moduleStatus.mainCircuitOn.load(), g_moduleStatus.alarm.load()};
    uint16_t value = 0;
    uint8_t now[4] = {before[0], before[1], before[2], before[3]};
    if (request_RDSSTS(nullptr, &value, &now[0], &now[1], &now[2], &now[3]) != 0) {
      state->running.store(0);
      break;
    }
    g_moduleStatus.ready.store(now[0]);
    g_moduleStatus.servoOn.store(now[1]);
    g_moduleStatus.mainCircuitOn.store(now[2]);
    g_moduleStatus.alarm.store(now[3]);
    if (now[0] != before[0] || now[1] != before[1] || now[2] != before[2] || now[3] != before[3])
      promptStatusChanged();
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollIntervalMs));
  }
  std::lock_guard<std::mutex> guard(state->lock);
  state->done = true;
  state->ended.notify_all();
}

// Called with g_pollLock held: forgets a thread that has ended by itself.
void reapEndedThread() {
  if (!g_poll || g_poll->running.load() != 0) return;
  if (g_pollThread.joinable()) {
    if (g_pollThread.get_id() == std::this_thread::get_id()) g_pollThread.detach();
    else g_pollThread.join();
  }
  g_poll.reset();
}

}  // namespace

void startStatusPolling(OwnerHandle owner) {
  uint16_t value = 0;
  uint8_t ready = 0, servo = 0, mainOn = 0, alarm = 0;
  if (request_RDSSTS(owner, &value, &ready, &servo, &mainOn, &alarm) != 0) return;
  std::lock_guard<std::mutex> guard(g_pollLock);
  reapEndedThread();
  if (g_poll) return;   // already polling (for instance a reconnection from its own box)
  g_poll = std::make_shared<PollState>();
  g_pollThread = std::thread(pollLoop, g_poll);
}

bool statusPollingActive() {
  std::lock_guard<std::mutex> guard(g_pollLock);
  return g_poll && g_poll->running.load() != 0;
}

void stopStatusPolling() {
  std::shared_ptr<PollState> state;
  std::thread thread;
  {
    std::lock_guard<std::mutex> guard(g_pollLock);
    state = std::move(g_poll);
    thread = std::move(g_pollThread);
  }
  if (!state) return;
  state->running.store(0);
  if (!thread.joinable()) return;
  if (thread.get_id() == std::this_thread::get_id()) {
    thread.detach();
    return;
  }
  bool ended;
  {
    std::unique_lock<std::mutex> guard(state->lock);
    ended = state->ended.wait_for(guard, std::chrono::milliseconds(kPollStopWaitMs),
                                  [&] { return state->done; });
  }
  if (ended) thread.join();
  else thread.detach();   // held in a box; it ends on its own once the box returns
}
