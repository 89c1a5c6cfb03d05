// The status poll thread: reads the module status every 100 ms into
// g_moduleStatus and asks the front end to repaint when a byte changes.
// startStatusPolling is declared in link/request.h.
#pragma once
#include <cstdint>

constexpr uint32_t kPollIntervalMs = 100;
// How long shutdown waits for a poll thread that sits in an error box before it
// leaves it to end on its own (it can no longer reach the channels by then).
constexpr uint32_t kPollStopWaitMs = 3000;

// True while a poll thread is running.
bool statusPollingActive();
// Tells the poll thread to stop and waits for it (at most waitMs when it is held
// in a box or a read); safe to call when none runs. A poll told to stop shows no
// box for the read it was in.
void stopStatusPolling(uint32_t waitMs = kPollStopWaitMs);
