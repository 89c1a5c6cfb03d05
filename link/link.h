// Start and shutdown of the module link (both channels, the communication thread
// and the status poll), and the two posting calls every other thread uses.
#pragma once
#include <cstdint>

struct RequestRecord;

constexpr uint16_t kChannelCapacity = 20;

// Creates the command and connection channels and starts the communication
// thread; 0 = ok, 1 = failure (nothing left running). Fails if already started.
uint16_t linkStart();
// Frees the calling thread's reply channel (made at its first post); a thread that
// posted calls it before it ends. Safe when it has none.
void releaseThreadReplyChannel();
// Stops and waits for the status poll, closes the open port through a connection
// request, stops and joins the communication thread and destroys the channels.
// From the moment it begins, every request fails fast with status 1 and no box.
void linkShutdown();
// True between a successful linkStart and the beginning of linkShutdown.
bool linkRunning();

// Opens (action nonzero) or closes `port`; the thread's commandsEnabled takes the
// given value. 0 success, 1 failure (also when the request could not be queued).
uint16_t postConnectionRequest(uint32_t action, uint32_t commandsEnabled, uint16_t port);
// Hands the record to the communication thread and waits; the outcome is in
// record->status. When the link is not running the record gets status 1.
// A motion that got no valid reply is followed at once by a STOP__, before any
// box about it is shown (the module may have taken it; nobody can tell).
// A STOP__ goes on a channel of its own, ahead of everything queued, and moves
// the stop epoch on before it goes; a motion carries the epoch it was posted in
// (or the one this thread bound) and ends with STATUS_CANCELLED, unsent, when a
// stop came since.
uint16_t postCommandRequest(RequestRecord* record);

// The stop epoch: starts at 1 and moves on with every STOP__ posted.
uint32_t motionEpoch();
// Moves the epoch on without a stop (program exit, definition switch): every
// motion asked for until now is refused, the one in progress runs to its end.
void endPendingMotions();
// Motion requests this thread posts from now on carry `epoch`, and
// `failureStopMode` for the STOP__ that follows one without a valid reply; epoch 0
// unbinds (they then take the epoch at posting, and DEC_). A worker binds the
// epoch its run began in, so a stop pressed at any time since refuses its next
// move, and the stop mode its dialog shows.
void bindMotions(uint32_t epoch, uint8_t failureStopMode);
