// Worker helper: the one way a dialog (or the status poll) runs work on a thread
// of its own, and the one way such work is stopped. Each start gets its own run
// flag, so a worker left over from an earlier opening can only end, never be
// revived by the next one. Stopping clears the flag and cuts the worker off from
// its target at once; the thread is joined when it has ended, else let go: its
// requests then show no box and it ends on its own without touching freed memory.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct WorkerShared {
  std::atomic<bool> running{true};
  std::atomic<bool> finished{false};
  std::mutex reach;          // held while the body reaches its target, and by the stop
  void* target = nullptr;    // the window the worker posts to; cleared by the stop
  void* owner = nullptr;     // the same handle, kept for request boxes (never touched)
};

// What the body sees: its flag and its target. Copyable; keeps the state alive.
class WorkerToken {
 public:
  explicit WorkerToken(std::shared_ptr<WorkerShared> shared) : shared_(std::move(shared)) {}
  // Test before every request.
  bool running() const { return shared_->running.load(); }
  // Ends the run from inside (a failed request): the owner sees it as stopped.
  void stop() const { shared_->running.store(false); }
  // The owner handle for a request's error box; reach the window itself only
  // through reach(). A request of a stopped run shows no box.
  void* target() const { return shared_->owner; }
  // Calls touch(target) while the run is on, under the lock the stop takes: once
  // workerStop has returned, no touch runs or starts. `touch` must only post,
  // never wait for the dialog. False when the run is over.
  template <class Touch>
  bool reach(Touch&& touch) const {
    std::lock_guard<std::mutex> hold(shared_->reach);
    if (!shared_->running.load()) return false;
    touch(shared_->target);
    return true;
  }

 private:
  std::shared_ptr<WorkerShared> shared_;
};

// A dialog's worker slot. Destroying it stops its run, however the dialog ends.
struct Worker {
  std::shared_ptr<WorkerShared> shared;
  std::thread thread;

  Worker() = default;
  Worker(Worker&& other) noexcept;
  Worker& operator=(Worker&& other) noexcept;
  ~Worker();
};

using WorkerBody = void (*)(WorkerToken token, void* context);

// What every worker thread does around its body, for the layer that serves its
// requests: `started` gets the run's flag (a stopped run's requests show no box),
// `ended` runs after the body, on the same thread. The link installs them at its
// start, as the prompt interface is installed; until then a worker runs bare.
struct WorkerThreadHooks {
  void (*started)(const std::atomic<bool>* running);
  void (*ended)();
};
// `hooks` must outlive every worker; null removes them.
void setWorkerThreadHooks(const WorkerThreadHooks* hooks);

// Starts `body(token, context)` on a new thread for `target`. False when a worker
// of this record still runs or the thread cannot be made. `context` must outlive
// the worker's use of it: a body touches it only while token.running() holds.
bool workerStart(Worker* worker, void* target, WorkerBody body, void* context);
// True while the worker's flag is set and its body has not returned.
bool workerActive(const Worker* worker);
// Clears the flag and cuts the worker off from its target, then waits up to
// `waitMs` (0: not at all) for the body to return, and joins it, or lets it go
// when it is still blocked. Safe when none runs, and from the worker's own thread.
// Returns true when the body had ended.
bool workerStop(Worker* worker, uint32_t waitMs = 0);
