// The monitors' polling worker.
#include "monitor/monitor_poll.h"

#include <chrono>
#include <thread>

namespace {

// One monitor request in the link at a time, whatever number of monitors is open:
// a command of another dialog (a stop, a release at closing) then waits behind one
// monitor read at most, and a closed monitor that waits for its turn ends without
// ever reaching the link.
std::mutex g_turn;

bool takeTurn(const WorkerToken& token) {
  while (!g_turn.try_lock()) {
    if (!token.running()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (token.running()) return true;
  g_turn.unlock();
  return false;
}

// Sleeps the period in short steps, so a closed monitor's worker ends promptly.
void pause(const WorkerToken& token, uint32_t periodMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(periodMs);
  while (token.running() && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void pollBody(WorkerToken token, void* context) {
  // The start handed over one reference; the worker holds it to its end.
  std::shared_ptr<MonitorPoll> poll = std::move(*static_cast<std::shared_ptr<MonitorPoll>*>(context));
  delete static_cast<std::shared_ptr<MonitorPoll>*>(context);
  void* owner = token.target();
  // Through the token: a closed monitor's worker never reaches its dialog.
  auto notify = [&](uint32_t notice) { token.reach([&](void* target) { poll->notify(target, notice); }); };
  while (token.running()) {
    MonitorReading reading;
    if (!takeTurn(token)) return;
    uint16_t status = poll->read(owner, &reading);
    g_turn.unlock();
    // A monitor closed (or reopened) meanwhile gets nothing from this worker.
    if (!token.running()) return;
    if (status != 0) {
      notify(MONITOR_FAILED);
      token.stop();
      return;
    }
    {
      std::lock_guard<std::mutex> guard(poll->lock);
      poll->latest = reading;
      poll->fresh = true;
    }
    notify(MONITOR_READ);
    if (poll->periodMs == 0) return;
    pause(token, poll->periodMs);
  }
}

}  // namespace

bool startMonitorPoll(Worker* worker, void* target, const std::shared_ptr<MonitorPoll>& poll) {
  auto* handover = new std::shared_ptr<MonitorPoll>(poll);
  if (workerStart(worker, target, pollBody, handover)) return true;
  delete handover;
  return false;
}

bool takeMonitorReading(MonitorPoll* poll, MonitorReading* reading) {
  std::lock_guard<std::mutex> guard(poll->lock);
  if (!poll->fresh) return false;
  *reading = poll->latest;
  poll->fresh = false;
  return true;
}
