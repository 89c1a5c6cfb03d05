// Status poll thread and startStatusPolling.
#include "link/status_poll.h"
#include <chrono>
#include <mutex>
#include <thread>
#include "link/link_state.h"
#include "link/request.h"
#include "toolkit/worker.h"

namespace {

std::mutex g_pollLock;   // guards g_poll between the starter, the stopper and the thread itself
Worker g_poll;

void pollBody(WorkerToken token, void*) {
  while (token.running()) {
    uint8_t before[4] = {g_moduleStatus.ready.load(), g_moduleStatus.servoOn.load(),
                         g_moduleStatus.mainCircuitOn.load(), g_moduleStatus.alarm.load()};
    uint16_t value = 0;
    uint8_t now[4] = {before[0], before[1], before[2], before[3]};
    if (request_RDSSTS(nullptr, &value, &now[0], &now[1], &now[2], &now[3]) != 0) return;
    g_moduleStatus.ready.store(now[0]);
    g_moduleStatus.servoOn.store(now[1]);
    g_moduleStatus.mainCircuitOn.store(now[2]);
    g_moduleStatus.alarm.store(now[3]);
    if (now[0] != before[0] || now[1] != before[1] || now[2] != before[2] || now[3] != before[3])
      promptStatusChanged();
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollIntervalMs));
  }
}

}  // namespace

void startStatusPolling(OwnerHandle owner) {
  uint16_t value = 0;
  uint8_t ready = 0, servo = 0, mainOn = 0, alarm = 0;
  if (request_RDSSTS(owner, &value, &ready, &servo, &mainOn, &alarm) != 0) return;
  std::lock_guard<std::mutex> guard(g_pollLock);
  // Refused while one runs (for instance a reconnection from its own box).
  workerStart(&g_poll, nullptr, pollBody, nullptr);
}

bool statusPollingActive() {
  std::lock_guard<std::mutex> guard(g_pollLock);
  return workerActive(&g_poll);
}

void stopStatusPolling(uint32_t waitMs) {
  Worker poll;
  {
    std::lock_guard<std::mutex> guard(g_pollLock);
    poll = std::move(g_poll);
    g_poll = Worker{};
  }
  // A poll thread held in an error box is left to end once the box returns; by
  // then the link refuses its requests, so it cannot reach the channels.
  workerStop(&poll, waitMs);
}
