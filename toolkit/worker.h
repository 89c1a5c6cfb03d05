// Worker helper: the one way a dialog (or the status poll) runs work on a thread
// of its own. Each start gets its own run flag, so a worker left over from an
// earlier opening can only end, never be revived by the next one. Stopping
// clears the flag, waits a bounded time, then joins; a worker still blocked
// after that (held in an error box) is detached, and since its flag stays clear
// and its state is shared, it ends on its own without touching freed memory.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

struct WorkerShared {
  std::atomic<bool> running{true};
  std::atomic<bool> finished{false};
  void* target = nullptr;   // the window the worker posts to; set before the start
};

// What the body sees: its flag and its target. Copyable; keeps the state alive.
class WorkerToken {
 public:
  explicit WorkerToken(std::shared_ptr<WorkerShared> shared) : shared_(std::move(shared)) {}
  // Test before every request and before touching the dialog.
  bool running() const { return shared_->running.load(); }
  // Ends the run from inside (a failed request): the owner sees it as stopped.
  void stop() const { shared_->running.store(false); }
  void* target() const { return shared_->target; }

 private:
  std::shared_ptr<WorkerShared> shared_;
};

struct Worker {
  std::shared_ptr<WorkerShared> shared;
  std::thread thread;
};

using WorkerBody = void (*)(WorkerToken token, void* context);

// Starts `body(token, context)` on a new thread for `target`. False when a worker
// of this record still runs or the thread cannot be made. `context` must outlive
// the worker's use of it: a body touches it only while token.running() holds.
bool workerStart(Worker* worker, void* target, WorkerBody body, void* context);
// True while the worker's flag is set and its body has not returned.
bool workerActive(const Worker* worker);
// Clears the flag and waits up to `waitMs` for the body to return, then joins it,
// or detaches it when it is still blocked. Safe when none runs, and from the
// worker's own thread (which is detached). Returns true when the body had ended.
bool workerStop(Worker* worker, uint32_t waitMs);
