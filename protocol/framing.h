// Message framing and the transaction with retries: header building and checking,
// one request write, one reply read, and three attempts 500 ms apart.
#pragma once
#include <cstdint>

constexpr int kFrameSize = 256;
constexpr int kHeaderLength = 10;        // STX, six-character name, "01C" / "10R"
constexpr int kErrorCodeOffset = 10;
constexpr int kReplyFieldsOffset = 14;
constexpr int kTransactionAttempts = 3;
constexpr int kRetryPauseMs = 500;

struct FrameBuffer {
  uint16_t result;   // port result code of the last write or read
  uint16_t length;   // request: bytes to send; reply: bytes read
  uint8_t data[kFrameSize];
};

// STX, the command's name and "01C"; returns 10.
int buildHeader(uint8_t commandCode, uint8_t* data);
// 0 when the reply's header belongs to `commandCode`, else 1.
uint16_t checkReplyHeader(uint8_t commandCode, const uint8_t* data);

uint16_t sendRequest(uint16_t port, FrameBuffer& request);
uint16_t receiveReply(uint16_t port, FrameBuffer& reply);
// 0: a reply was read; 1: three attempts failed.
uint16_t runTransaction(uint16_t port, FrameBuffer& request, FrameBuffer& reply);

// The one retry loop of every exchange: runs `attempt` until it returns true
// (it got through; it decides what that means), at most kTransactionAttempts
// times with the retry pause between, and only once more after transactions
// have been abandoned; not at all once an attempt has failed since then (the
// line is dead: queued requests must not each wait a read). True when an
// attempt got through.
bool repeatAttempts(bool (*attempt)(void* context), void* context);

// While set, every exchange (single replies and chains alike) gives up after the
// attempt in progress: shutdown then waits for at most one read on a dead line
// instead of three.
void setTransactionsAbandoned(bool abandoned);

bool transactionsAbandoned();

// Urgent work (a stop) that may not wait for the exchange in progress. Installed
// by the link. `pending` tells whether some waits; `serve` carries it out on the
// line, between two attempts of the exchange in progress, and returns true when
// that exchange must end there (a motion is never sent again after a stop).
struct UrgentWork {
  bool (*pending)();
  bool (*serve)();
};
void setUrgentWork(UrgentWork work);
// Serves the urgent work if some waits; true when the exchange in progress ends.
bool serveUrgentWork();

// Pause between attempts; tests shorten it. Default 500 ms.
void setRetryPauseMs(int milliseconds);
// Both pauses serve urgent work as soon as it comes, and return false when that
// ends the exchange in progress.
bool retryPause();
// Pause between the two messages of a split multi-speed request; tests shorten
// it. Default 500 ms.
void setSplitPauseMs(int milliseconds);
bool splitPause();

// Observer of every frame written (sent = true) or read; null when none. Used for
// traces; called on the communication thread.
using FrameObserver = void (*)(bool sent, const uint8_t* data, uint16_t length);
void setFrameObserver(FrameObserver observer);
