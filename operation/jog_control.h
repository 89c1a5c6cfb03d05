// Hold-to-run jog: FEED__ while a jog button is held, and STOP__ DEC_ exactly once
// when it stops being held, whatever the reason (released, capture lost, dialog
// deactivated or closed, Esc, definition switch, program exit). The held state is
// also shown in the link status flags (bit 1 forward, bit 2 reverse).
#pragma once
#include <cstdint>

#include "files/settings_areas.h"
#include "link/prompt.h"

// The dialog reads its fields first (readOperationFields) and calls this only
// when they are valid, so an invalid speed sends nothing and holds nothing.
// Marks `direction` (MOTION_FORWARD / MOTION_REVERSE) held and sends FEED__ from
// the area on a worker, returning at once, so the release is seen while the
// FEED__ waits. A button already held, or whose earlier FEED__ still waits, sends
// nothing again. Returns 0, or the build result when the area cannot be sent
// (then nothing is held). A FEED__ without a valid reply is followed by STOP__.
uint16_t jogPress(OwnerHandle owner, uint8_t direction, const JogArea& area, const EnvironmentSettings& env,
                  bool debugMode);
// True while a FEED__ waits for its reply.
bool jogFeedWaiting();
// If `direction` is held: clears it, ends every repeat and sends STOP__ DEC_
// (no field is read), ahead of everything queued.
// True when a stop was sent; `status` (may be null) receives its status.
bool jogRelease(OwnerHandle owner, uint8_t direction, uint16_t* status);
// Both buttons: for every leave of the dialog (deactivate, close, exit). Returns
// the number of stops sent (0 when nothing was held).
int jogReleaseAll(OwnerHandle owner);
bool jogHeld(uint8_t direction);
