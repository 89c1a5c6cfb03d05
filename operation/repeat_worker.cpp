// Repeat workers of the operation dialogs: go-and-return and step, as state
// machines over the request functions.
#include "operation/repeat_worker.h"

#include <chrono>
#include <thread>

#include "link/link.h"
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
  MotionRequest moveRequest;
  uint16_t repeatInterval;
  uint8_t stopMode;
  uint32_t epoch;
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

  // A stop always reaches the line after a motion in flight (the link sends it
  // ahead of everything queued and refuses later motions), so nothing here stops
  // again. False: end the run.
  uint16_t move(const MotionRequest& request) const { return requestMotion(owner, request); }
  uint16_t returnTo(int32_t position) const { return returnOperationPosition(owner, position); }
  bool motionSent(uint16_t status) const { return status == 0 && continuing(); }

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
      uint16_t status = state == REPEAT_MOVE ? loop.move(loop.moveRequest)
                                             : loop.returnTo(run->startPosition.load());
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
        status = loop.returnTo(run->startPosition.load());
      } else {
        MotionRequest step = loop.moveRequest;
        step.direction = state == STEP_REPEAT_FORWARD ? MOTION_FORWARD : MOTION_REVERSE;
        status = loop.move(step);
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
  Loop loop{token,         run,        run->move,  run->repeatInterval, run->stopMode,
            run->epoch,    run->owner, run->sink,  run->sinkContext};
  bindMotions(loop.epoch, loop.stopMode);
  if (loop.moveRequest.command == CMD_STEP) runStep(loop);
  else runGoAndReturn(loop);
  // Ended from outside: the one who ended it has set the state, and a new run
  // may already own it. Ended here (failure or stop): back to idle.
  if (!token.running()) return;
  run->runFlag.store(0);
  run->repeatState.store(REPEAT_IDLE);
  loop.report(REPEAT_IDLE);
}

void singleBody(WorkerToken, void* context) {
  auto* run = static_cast<RepeatRun*>(context);
  // Copied first: the next start may rewrite them once this body has returned.
  MotionRequest move = run->singleMove;
  uint8_t stopMode = run->singleStopMode;
  OwnerHandle owner = run->singleOwner;
  bindMotions(run->singleEpoch, stopMode);
  requestMotion(owner, move);
}

// Never destroyed: a worker left to end on its own at exit must not meet a
// destroyed record (nor a joinable thread a destructor would abort on).
RepeatRun* runs() {
  static RepeatRun* table = new RepeatRun[kRepeatRunCount];
  return table;
}

}  // namespace

RepeatRun* repeatRunAt(int index) { return index >= 0 && index < kRepeatRunCount ? &runs()[index] : nullptr; }

bool repeatActive(const RepeatRun* run) { return run->repeatState.load() != REPEAT_IDLE; }

bool singleMotionActive(const RepeatRun* run) { return workerActive(&run->single); }

void endEveryRepeat() {
  for (int i = 0; i < kRepeatRunCount; ++i) {
    runs()[i].repeatState.store(REPEAT_IDLE);
    runs()[i].runFlag.store(0);
  }
}

uint16_t startSingleMotion(RepeatRun* run, OwnerHandle owner, const MotionRequest& move, uint8_t stopMode) {
  if (repeatActive(run) || workerActive(&run->single)) return REPEAT_RUNNING;
  // The stop epoch of the press: a stop from now on refuses this motion.
  uint32_t epoch = motionEpoch();
  workerStop(&run->single, 0);   // joins the finished one
  run->singleMove = move;
  run->singleStopMode = stopMode;
  run->singleOwner = owner;
  run->singleEpoch = epoch;
  return workerStart(&run->single, owner, singleBody, run) ? 0 : REPEAT_NO_THREAD;
}

uint16_t startRepeat(RepeatRun* run, OwnerHandle owner, const MotionRequest& move, uint16_t repeatInterval,
                     RepeatSink sink, void* sinkContext, uint8_t stopMode) {
  if (repeatActive(run) || workerActive(&run->single)) return REPEAT_RUNNING;
  // A worker that set the state to 0 may still be on its way out (held in an
  // error box): the fields it reads are not replaced under it, and the person is
  // told at once rather than kept waiting.
  if (workerActive(&run->worker)) return REPEAT_RUNNING;
  workerStop(&run->worker, 0);   // joins the finished one
  const uint32_t epoch = motionEpoch();
  int32_t position = 0;
  uint16_t status = readOperationPosition(owner, &position);
  if (status != 0) return status;
  run->move = move;
  run->repeatInterval = repeatInterval;
  run->stepVariant = move.command == CMD_STEP;
  run->stopMode = stopMode;
  run->epoch = epoch;
  run->owner = owner;
  run->sink = sink;
  run->sinkContext = sinkContext;
  run->startPosition.store(position);
  run->previousState.store(REPEAT_IDLE);
  run->lastDirection.store(0);
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
  run->repeatState.store(REPEAT_IDLE);
  run->runFlag.store(0);
  endEveryRepeat();
  return sendOperationStop(owner, stopRadio, debugMode);
}

bool endRepeat(RepeatRun* run, uint32_t waitMs) {
  bool running = repeatActive(run) || workerActive(&run->worker);
  run->repeatState.store(REPEAT_IDLE);
  run->runFlag.store(0);
  // The worker may be between its look at the run flag and its send: the link
  // refuses that move, so nothing goes out after the end.
  if (running) endPendingMotions();
  bool ended = workerStop(&run->worker, waitMs);
  return workerStop(&run->single, waitMs) && ended;
}
