// Hold-to-run jog buttons.
#include "operation/jog_control.h"

#include <atomic>

#include "link/link_state.h"
#include "link/request.h"
#include "operation/motion_request.h"

namespace {

// One flag per button; exchanged, so a stop is sent once however many of the
// leave paths run (release, capture lost and close can all follow one press).
std::atomic<uint8_t> g_held[2];

uint32_t linkBit(uint8_t direction) { return direction == MOTION_FORWARD ? LINK_JOG_FORWARD : LINK_JOG_REVERSE; }

}  // namespace

uint16_t jogPress(OwnerHandle owner, uint8_t direction, const JogArea& area, const EnvironmentSettings& env,
                  bool debugMode) {
  if (direction > MOTION_REVERSE) return MOTION_BAD_CHOICE;
  MotionRequest feed{};
  uint16_t built = buildMotionRequest(area, env, debugMode, direction, &feed);
  if (built != 0) return built;
  if (g_held[direction].exchange(1) != 0) return 0;
  linkFlagSet(linkBit(direction), true);
  // Held before the FEED__ goes out: a release during the request still stops.
  return sendMotionRequest(owner, feed);
}

bool jogRelease(OwnerHandle owner, uint8_t direction, uint16_t* status) {
  if (direction > MOTION_REVERSE || g_held[direction].exchange(0) == 0) return false;
  linkFlagSet(linkBit(direction), false);
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
