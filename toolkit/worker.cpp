// Worker helper: one thread per run, a run flag per start, a stop that never holds
// the caller longer than it asks.
#include "toolkit/worker.h"

#include <chrono>
#include <system_error>

namespace {

std::atomic<const WorkerThreadHooks*> g_hooks{nullptr};

void reap(Worker* worker) {
  if (worker->thread.joinable()) {
    if (worker->thread.get_id() == std::this_thread::get_id()) worker->thread.detach();
    else worker->thread.join();
  }
  worker->shared.reset();
}

}  // namespace

void setWorkerThreadHooks(const WorkerThreadHooks* hooks) { g_hooks.store(hooks); }

Worker::Worker(Worker&& other) noexcept : shared(std::move(other.shared)), thread(std::move(other.thread)) {}

Worker& Worker::operator=(Worker&& other) noexcept {
  if (this != &other) {
    workerStop(this);
    shared = std::move(other.shared);
    thread = std::move(other.thread);
  }
  return *this;
}

Worker::~Worker() { workerStop(this); }

bool workerStart(Worker* worker, void* target, WorkerBody body, void* context) {
  if (worker->shared) {
    // A run that ended by itself is forgotten; one that still runs is refused.
    if (!worker->shared->finished.load()) return false;
    reap(worker);
  }
  auto shared = std::make_shared<WorkerShared>();
  shared->target = target;
  shared->owner = target;
  try {
    worker->thread = std::thread([shared, body, context] {
      // The request functions look at this flag before they show a box.
      const WorkerThreadHooks* hooks = g_hooks.load();
      if (hooks && hooks->started) hooks->started(&shared->running);
      body(WorkerToken(shared), context);
      if (hooks && hooks->ended) hooks->ended();
      shared->running.store(false);
      shared->finished.store(true);
    });
  } catch (const std::system_error&) {
    return false;
  }
  worker->shared = std::move(shared);
  return true;
}

bool workerActive(const Worker* worker) {
  return worker->shared && worker->shared->running.load() && !worker->shared->finished.load();
}

bool workerStop(Worker* worker, uint32_t waitMs) {
  if (!worker->shared) return true;
  std::shared_ptr<WorkerShared> shared = worker->shared;
  {
    // Waits out a post in progress (a post never blocks), so none follows.
    std::lock_guard<std::mutex> hold(shared->reach);
    shared->running.store(false);
    shared->target = nullptr;
  }
  if (worker->thread.joinable() && worker->thread.get_id() == std::this_thread::get_id()) {
    worker->thread.detach();
    worker->shared.reset();
    return false;
  }
  // Polled rather than signalled: a wait is rare (the status poll at shutdown),
  // so a 5 ms look costs nothing and needs no lock shared with the body.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  while (waitMs > 0 && !shared->finished.load() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  bool ended = shared->finished.load();
  if (ended) reap(worker);
  else {
    worker->thread.detach();
    worker->shared.reset();
  }
  return ended;
}
