// Hold-to-run jog buttons.
#include "operation/jog_control.h"

#include <atomic>

#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "operation/motion_request.h"
#include "operation/repeat_worker.h"
#include "toolkit/worker.h"

namespace {

// One flag per button; exchanged, so a stop is sent once however many of the
// leave paths run (release, capture lost and close can all follow one press).
std::atomic<uint8_t> g_held[2];

// The FEED__ goes out from a worker: the user-interface thread must stay free to
// see the release while the FEED__ waits for its reply (up to three full reads
// when the reply is lost). Each press copies its feed and epoch in.
struct Feed {
  MotionRequest request;
  OwnerHandle owner;
  uint32_t epoch;
};
// Never destroyed, as the repeat runs: a FEED__ may still wait at exit.
Feed* const g_feed = new Feed[2];
Worker* const g_feedWorker = new Worker[2];   // user-interface thread only

void feedBody(WorkerToken, void* context) {
  Feed feed = *static_cast<Feed*>(context);
  bindMotions(feed.epoch, 0);
  requestMotion(feed.owner, feed.request);
}

uint32_t linkBit(uint8_t direction) { return direction == MOTION_FORWARD ? LINK_JOG_FORWARD : LINK_JOG_REVERSE; }

}  // namespace

uint16_t jogPress(OwnerHandle owner, uint8_t direction, const JogArea& area, const EnvironmentSettings&,
                  bool debugMode) {
  if (direction > MOTION_REVERSE) return MOTION_BAD_CHOICE;
  MotionRequest feed{};
  uint16_t built = buildMotionRequest(kJogForm, &area, debugMode, direction, &feed);
  if (built != 0) return built;
  // The FEED__ of an earlier hold still waits for its reply: no second one.
  if (workerActive(&g_feedWorker[direction])) return 0;
  if (g_held[direction].exchange(1) != 0) return 0;
  linkFlagSet(linkBit(direction), true);
  // Held, and the epoch taken, before the FEED__ goes out: a release at any time
  // from here stops, and a FEED__ not yet on the line is never sent.
  workerStop(&g_feedWorker[direction], 0);
  g_feed[direction] = Feed{feed, owner, motionEpoch()};
  if (!workerStart(&g_feedWorker[direction], owner, feedBody, &g_feed[direction])) {
    g_held[direction].store(0);
    linkFlagSet(linkBit(direction), false);
    return REPEAT_NO_THREAD;
  }
  return 0;
}

bool jogFeedWaiting() { return workerActive(&g_feedWorker[0]) || workerActive(&g_feedWorker[1]); }

bool jogRelease(OwnerHandle owner, uint8_t direction, uint16_t* status) {
  if (direction > MOTION_REVERSE || g_held[direction].exchange(0) == 0) return false;
  linkFlagSet(linkBit(direction), false);
  endEveryRepeat();
  uint16_t result = request_STOP__(owner, 0);
  if (status) *status = result;
  return true;
}

int jogReleaseAll(OwnerHandle owner) {
  int stops = 0;
  for (uint8_t d = MOTION_FORWARD; d <= MOTION_REVERSE; ++d) stops += jogRelease(owner, d, nullptr) ? 1 : 0;
  return stops;
}

bool jogHeld(uint8_t direction) { return direction <= MOTION_REVERSE && g_held[direction].load() != 0; }
