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
constexpr uint16_t REPEAT_RUNNING = 259;     // a repeat runs already: the dialog shows box 259
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
  // Set by the stop button with its mode: a motion the worker had in flight when
  // stop was pressed may reach the module after the stop, so the worker stops again.
  std::atomic<uint8_t> stopPressed{0};
  std::atomic<uint8_t> stopMode{0};

  // Set by startRepeat; the worker copies them when it begins.
  MotionRequest move{};
  uint16_t repeatInterval = 0;
  bool stepVariant = false;
  OwnerHandle owner = nullptr;
  RepeatSink sink = nullptr;
  void* sinkContext = nullptr;

  Worker worker;   // user-interface thread only
};

// True while a repeat runs (the state is not 0).
bool repeatActive(const RepeatRun* run);

// Starts a repeat of `move`: refuses with REPEAT_RUNNING while one runs; reads the
// command position into the start position (a failure has been shown and its
// status is returned); sets the state (1, or for a STEP__ move 1 forward / 2
// reverse), sets the run flag and starts the worker. A STEP__ move runs the step
// variant, every other command the go-and-return variant.
uint16_t startRepeat(RepeatRun* run, OwnerHandle owner, const MotionRequest& move, uint16_t repeatInterval,
                     RepeatSink sink, void* sinkContext);

// The stop button: state and run flag to 0, then STOP__ with the mode of
// operationStopMode. Sent whether or not a repeat runs and whatever the fields
// hold. The worker, if asleep, ends at its next look without another motion.
// Returns the STOP__ request status.
uint16_t stopOperation(RepeatRun* run, OwnerHandle owner, int stopRadio, bool debugMode);

// Ends a running repeat without a stop command (program exit, definition switch):
// state and run flag to 0, then waits up to `waitMs` for the worker to end. The
// motion in progress finishes on the module as a single motion would. True when
// the worker has ended (or none ran); false when it was still blocked (in an error
// box) and was left to end on its own.
bool endRepeat(RepeatRun* run, uint32_t waitMs);
