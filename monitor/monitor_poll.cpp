// The monitors' polling worker.
#include "monitor/monitor_poll.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "link/request.h"

namespace {

// One monitor request in the link at a time, whatever number of monitors is open:
// a command of another dialog (a stop, a release at closing) then waits behind one
// monitor read at most, and a closed monitor that waits for its turn ends without
// ever reaching the link.
std::mutex g_turn;
// Workers waiting for the turn, and turns taken so far: a back-to-back reader
// waits after its read until a waiting monitor has had its turn.
std::atomic<int> g_waiting{0};
std::atomic<uint32_t> g_turnsTaken{0};

bool takeTurn(const WorkerToken& token) {
  g_waiting.fetch_add(1);
  while (!g_turn.try_lock()) {
    if (!token.running()) {
      g_waiting.fetch_sub(1);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  g_waiting.fetch_sub(1);
  g_turnsTaken.fetch_add(1);
  if (token.running()) return true;
  g_turn.unlock();
  return false;
}

// After a read of the back-to-back reader: lets one waiting monitor take the turn
// first, so that no monitor waits longer than one read for it.
void yieldTurn(const WorkerToken& token, uint32_t takenAfterRead) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  while (token.running() && g_waiting.load() > 0 && g_turnsTaken.load() == takenAfterRead &&
         std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
    uint32_t taken = g_turnsTaken.load();
    g_turn.unlock();
    // A monitor closed (or reopened) meanwhile gets nothing from this worker.
    if (!token.running()) return;
    if (status != 0) {
      notify(MONITOR_FAILED);
      token.stop();
      return;
    }
    if (poll->keep) poll->keep(poll->sink.get(), reading);
    {
      std::lock_guard<std::mutex> guard(poll->lock);
      poll->latest = reading;
      poll->fresh = true;
    }
    notify(MONITOR_READ);
    if (poll->periodMs == 0) return;
    if (poll->backToBack) yieldTurn(token, taken);
    else pause(token, poll->periodMs);
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

uint16_t readCurrentValues(void* owner, MonitorReading* reading) {
  uint32_t v[7] = {};
  uint16_t status = request_RD_MON(owner, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]);
  for (int i = 0; i < 7; ++i) reading->values[i] = static_cast<int32_t>(v[i]);
  return status;
}
