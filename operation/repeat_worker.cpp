// Repeat workers of the operation dialogs: go-and-return and step, as state
// machines over the request functions.
#include "operation/repeat_worker.h"

#include <chrono>
#include <thread>

#include "link/request.h"

namespace {

constexpr uint16_t kBlockEnd = 0x0001;   // bit 0 of the motion status word
constexpr uint32_t kSleepSliceMs = 10;   // how soon a sleeping worker sees a stop

// Everything the body needs to decide whether it may go on: its own worker flag
// (cleared by endRepeat) and the dialog's run flag (cleared by stop). The plain
// fields of the run are copied at entry: a worker left detached in an error box
// must not read them while a later start rewrites them.
struct Loop {
  WorkerToken token;
  RepeatRun* run;
  MotionRequest move;
  uint16_t repeatInterval;
  OwnerHandle owner;
  RepeatSink sink;
  void* sinkContext;

  bool continuing() const { return token.running() && run->runFlag.load() == 1; }

  // Sleeps `ms`, waking early when the run is ended.
  void pause(uint32_t ms) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (continuing()) {
      auto now = std::chrono::steady_clock::now();
      if (now >= end) return;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
      std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(kSleepSliceMs)));
    }
  }

  // Moves the state on unless stop zeroed it meanwhile (then false: end).
  bool advance(uint16_t from, uint16_t to) const {
    uint16_t expected = from;
    if (!run->repeatState.compare_exchange_strong(expected, to)) return false;
    report(to);
    return true;
  }

  void report(uint16_t state) const {
    // A run ended from outside has been told already; its dialog may be gone.
    if (sink && token.running()) sink(sinkContext, state);
  }

  // After a motion request: when stop was pressed while it was in flight, the
  // motion may have reached the module after the stop, so it is stopped again
  // (a second stop of an axis at rest does nothing). False: end the run.
  bool motionSent(uint16_t status) const {
    if (status != 0) return false;
    if (continuing()) return true;
    if (run->stopPressed.load()) request_STOP__(owner, run->stopMode.load());
    return false;
  }

  // True with `blockEnd` set when the status was read.
  bool readBlockEnd(bool* blockEnd) const {
    uint8_t motionState = 0;
    uint16_t word = 0;
    if (request_RDMSTS(owner, &motionState, &word) != 0) return false;
    *blockEnd = (word & kBlockEnd) != 0;
    return true;
  }
};

// Returns when the run ends: stopped, ended from outside, or a request failed.
void runGoAndReturn(const Loop& loop) {
  RepeatRun* run = loop.run;
  uint32_t waitMs = REPEAT_POLL_MS;
  while (loop.continuing()) {
    uint16_t state = run->repeatState.load();
    if (state == REPEAT_MOVE || state == REPEAT_RETURN) {
      uint16_t status = state == REPEAT_MOVE ? sendMotionRequest(loop.owner, loop.move)
                                             : returnOperationPosition(loop.owner, run->startPosition.load());
      if (!loop.motionSent(status)) return;
      run->previousState.store(state);
      if (!loop.advance(state, REPEAT_WAIT)) return;
      loop.pause(REPEAT_POLL_MS);
      waitMs = REPEAT_POLL_MS;
      continue;
    }
    if (state != REPEAT_WAIT) return;   // 0: stop was pressed
    bool blockEnd = false;
    if (!loop.readBlockEnd(&blockEnd)) return;
    if (blockEnd) {
      uint16_t next = run->previousState.load() == REPEAT_RETURN ? REPEAT_MOVE : REPEAT_RETURN;
      run->previousState.store(REPEAT_WAIT);
      waitMs = loop.repeatInterval;
      if (!loop.advance(REPEAT_WAIT, next)) return;
    }
    if (run->repeatState.load() == REPEAT_IDLE) return;
    if (waitMs != 0) loop.pause(waitMs);
  }
}

void runStep(const Loop& loop) {
  RepeatRun* run = loop.run;
  uint32_t waitMs = REPEAT_POLL_MS;
  while (loop.continuing()) {
    uint16_t state = run->repeatState.load();
    if (state == STEP_REPEAT_FORWARD || state == STEP_REPEAT_REVERSE || state == STEP_REPEAT_RETURN) {
      uint16_t status;
      if (state == STEP_REPEAT_RETURN) {
        status = returnOperationPosition(loop.owner, run->startPosition.load());
      } else {
        MotionRequest step = loop.move;
        step.direction = state == STEP_REPEAT_FORWARD ? MOTION_FORWARD : MOTION_REVERSE;
        status = sendMotionRequest(loop.owner, step);
      }
      if (!loop.motionSent(status)) return;
      if (state != STEP_REPEAT_RETURN) run->lastDirection.store(static_cast<uint8_t>(state));
      run->previousState.store(state);
      if (!loop.advance(state, STEP_REPEAT_WAIT)) return;
      loop.pause(REPEAT_POLL_MS);
      waitMs = REPEAT_POLL_MS;
      continue;
    }
    if (state != STEP_REPEAT_WAIT) return;
    bool blockEnd = false;
    if (!loop.readBlockEnd(&blockEnd)) return;
    if (blockEnd) {
      uint16_t next = run->previousState.load() == STEP_REPEAT_RETURN ? run->lastDirection.load()
                                                                       : STEP_REPEAT_RETURN;
      run->previousState.store(STEP_REPEAT_WAIT);
      waitMs = loop.repeatInterval;
      if (!loop.advance(STEP_REPEAT_WAIT, next)) return;
    }
    if (run->repeatState.load() == REPEAT_IDLE) return;
    if (waitMs != 0) loop.pause(waitMs);
  }
}

void repeatBody(WorkerToken token, void* context) {
  auto* run = static_cast<RepeatRun*>(context);
  Loop loop{token, run, run->move, run->repeatInterval, run->owner, run->sink, run->sinkContext};
  if (run->move.command == CMD_STEP) runStep(loop);
  else runGoAndReturn(loop);
  // Ended from outside: the one who ended it has set the state, and a new run
  // may already own it. Ended here (failure or stop): back to idle.
  if (!token.running()) return;
  run->runFlag.store(0);
  run->repeatState.store(REPEAT_IDLE);
  loop.report(REPEAT_IDLE);
}

}  // namespace

bool repeatActive(const RepeatRun* run) { return run->repeatState.load() != REPEAT_IDLE; }

uint16_t startRepeat(RepeatRun* run, OwnerHandle owner, const MotionRequest& move, uint16_t repeatInterval,
                     RepeatSink sink, void* sinkContext) {
  if (repeatActive(run)) return REPEAT_RUNNING;
  // A worker that set the state to 0 may still be on its way out: let it finish
  // before the fields it reads are replaced.
  if (run->worker.shared && !workerStop(&run->worker, 2000)) return REPEAT_NO_THREAD;
  int32_t position = 0;
  uint16_t status = readOperationPosition(owner, &position);
  if (status != 0) return status;
  run->move = move;
  run->repeatInterval = repeatInterval;
  run->stepVariant = move.command == CMD_STEP;
  run->owner = owner;
  run->sink = sink;
  run->sinkContext = sinkContext;
  run->startPosition.store(position);
  run->previousState.store(REPEAT_IDLE);
  run->lastDirection.store(0);
  run->stopPressed.store(0);
  uint16_t first = REPEAT_MOVE;
  if (run->stepVariant) first = move.direction == MOTION_REVERSE ? STEP_REPEAT_REVERSE : STEP_REPEAT_FORWARD;
  run->repeatState.store(first);
  run->runFlag.store(1);
  if (!workerStart(&run->worker, owner, repeatBody, run)) {
    run->runFlag.store(0);
    run->repeatState.store(REPEAT_IDLE);
    return REPEAT_NO_THREAD;
  }
  return 0;
}

uint16_t stopOperation(RepeatRun* run, OwnerHandle owner, int stopRadio, bool debugMode) {
  // The worker looks at both before its next request, so no motion follows; one
  // already in flight is stopped again by the worker (stopPressed).
  run->stopMode.store(operationStopMode(stopRadio, debugMode));
  run->stopPressed.store(1);
  run->repeatState.store(REPEAT_IDLE);
  run->runFlag.store(0);
  return sendOperationStop(owner, stopRadio, debugMode);
}

bool endRepeat(RepeatRun* run, uint32_t waitMs) {
  run->repeatState.store(REPEAT_IDLE);
  run->runFlag.store(0);
  return workerStop(&run->worker, waitMs);
}
