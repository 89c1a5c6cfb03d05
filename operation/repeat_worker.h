// The repeat operation: a worker thread that moves, waits for block end, pauses the
// repeat interval, returns to the start position and moves again until stopped.
// Two variants: go-and-return (every dialog with a start button) and step (forward
// or reverse step, return, the same direction again). The worker needs no window:
// it reports each change of the repeat state to a sink given at start.
#pragma once
#include <atomic>
#include <cstdint>

#include "link/prompt.h"
#include "operation/motion_request.h"
#include "toolkit/worker.h"

// Repeat states, go-and-return variant.
constexpr uint16_t REPEAT_IDLE = 0;
constexpr uint16_t REPEAT_MOVE = 1;
constexpr uint16_t REPEAT_RETURN = 2;
constexpr uint16_t REPEAT_WAIT = 3;
// Repeat states, step variant (idle 0).
constexpr uint16_t STEP_REPEAT_FORWARD = 1;
constexpr uint16_t STEP_REPEAT_REVERSE = 2;
constexpr uint16_t STEP_REPEAT_RETURN = 3;
constexpr uint16_t STEP_REPEAT_WAIT = 4;

// Block end is polled this often, and the first poll comes this long after a move.
constexpr uint32_t REPEAT_POLL_MS = 100;

// startRepeat results besides 0 and a request status (1-3, from the position read).
// The dialog shows IDS_REPEAT_RUNNING for both: stop, then try again.
constexpr uint16_t REPEAT_RUNNING = IDS_REPEAT_RUNNING;  // a repeat, or an earlier worker of this dialog, still runs
constexpr uint16_t REPEAT_NO_THREAD = 0x100; // the worker thread could not be made

// Called on the worker thread after every change of the repeat state, the last
// time with 0 when the worker ends (stopped, or a request failed). The dialog posts
// itself a message from here; it must not block.
using RepeatSink = void (*)(void* context, uint16_t state);

// One per dialog, process-wide, owned by the user-interface thread. The fields the
// worker shares are atomic; the move and interval are copied at start, so edits in
// the dialog while it runs do not reach the worker.
struct RepeatRun {
  std::atomic<uint16_t> repeatState{0};
  std::atomic<uint32_t> runFlag{0};
  std::atomic<uint16_t> previousState{0};
  std::atomic<int32_t> startPosition{0};
  std::atomic<uint8_t> lastDirection{0};   // step variant: 1 forward, 2 reverse
  // Set by startRepeat; the worker copies them when it begins.
  MotionRequest move{};
  uint16_t repeatInterval = 0;
  bool stepVariant = false;
  uint8_t stopMode = 0;     // of the stop sent after a motion that got no valid reply
  uint32_t epoch = 0;       // the stop epoch the run began in
  OwnerHandle owner = nullptr;
  RepeatSink sink = nullptr;
  void* sinkContext = nullptr;

  // A motion sent once (repeat off), on a worker of its own so that the
  // user-interface thread stays free for a stop while it waits for the reply.
  MotionRequest singleMove{};
  uint8_t singleStopMode = 0;
  uint32_t singleEpoch = 0;
  OwnerHandle singleOwner = nullptr;

  Worker worker;   // user-interface thread only
  Worker single;   // user-interface thread only
};

// The runs of the operation dialogs, one each, process-wide: a stop in any
// dialog ends all of them.
constexpr int kRepeatRunCount = 9;
RepeatRun* repeatRunAt(int index);   // null outside 0..kRepeatRunCount-1

// True while a repeat runs (the state is not 0).
bool repeatActive(const RepeatRun* run);

// Starts a repeat of `move`: refuses with REPEAT_RUNNING while one runs; reads the
// command position into the start position (a failure has been shown and its
// status is returned); sets the state (1, or for a STEP__ move 1 forward / 2
// reverse), sets the run flag and starts the worker. A STEP__ move runs the step
// variant, every other command the go-and-return variant.
// A worker of an earlier run still on its way out (held in an error box) refuses
// the start with REPEAT_RUNNING at once. `stopMode` is the dialog's, for the stop
// that follows a motion without a valid reply. Moves are refused on the line
// once any stop has been pressed after this call.
uint16_t startRepeat(RepeatRun* run, OwnerHandle owner, const MotionRequest& move, uint16_t repeatInterval,
                     RepeatSink sink, void* sinkContext, uint8_t stopMode = 0);

// Sends `move` once on the run's single-motion worker and returns at once: 0
// started, REPEAT_RUNNING while a repeat or an earlier single motion of this run
// still waits, REPEAT_NO_THREAD. A motion without a valid reply is followed by
// STOP__ in `stopMode`; a stop pressed before the motion goes out refuses it.
uint16_t startSingleMotion(RepeatRun* run, OwnerHandle owner, const MotionRequest& move, uint8_t stopMode);
// True while the run's single motion waits for its reply.
bool singleMotionActive(const RepeatRun* run);

// Every run of every dialog to idle (state and run flag 0); their workers end at
// their next look. Part of every stop and jog release.
void endEveryRepeat();

// The stop button: every repeat (this run's and every dialog's) to idle, then
// STOP__ with the mode of operationStopMode, ahead of every queued request. Sent
// whether or not a repeat runs and whatever the fields hold. No worker sends
// another motion after it: the link refuses motions asked for before a stop.
// Returns the STOP__ request status.
uint16_t stopOperation(RepeatRun* run, OwnerHandle owner, int stopRadio, bool debugMode);

// Ends a running repeat without a stop command (program exit, definition switch):
// state and run flag to 0, and when it was running, every motion not yet on the
// line is refused (nothing is sent after the end); then waits up to `waitMs` for
// the worker to end. The motion in progress finishes on the module as a single
// motion would. True when
// the worker has ended (or none ran); false when it was still blocked (in an error
// box) and was left to end on its own.
bool endRepeat(RepeatRun* run, uint32_t waitMs);
