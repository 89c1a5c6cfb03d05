// Message framing and the transaction with retries.
#include "protocol/framing.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "serial/serial_port.h"
#include "protocol/command_table.h"

namespace {
std::atomic<int> g_retryPauseMs{kRetryPauseMs};
// The split pause is the module's time to take in the first message; it is the
// same length as the retry pause but tests shorten the two separately.
std::atomic<int> g_splitPauseMs{kRetryPauseMs};
std::atomic<FrameObserver> g_observer{nullptr};
std::atomic<bool> g_abandoned{false};
// An attempt failed after the give-up: the line is taken as dead, so requests
// still queued behind it fail without a read each (shutdown waits for one only).
std::atomic<bool> g_failedSinceAbandoned{false};
std::atomic<bool (*)()> g_urgentPending{nullptr};
std::atomic<bool (*)()> g_urgentServe{nullptr};
constexpr int kUrgentPollMs = 10;   // how soon a pause notices urgent work
}  // namespace

void setUrgentWork(UrgentWork work) {
  g_urgentPending = work.pending;
  g_urgentServe = work.serve;
}

bool serveUrgentWork() {
  auto pending = g_urgentPending.load();
  auto serve = g_urgentServe.load();
  if (!pending || !serve || !pending()) return false;
  return serve();
}

namespace {
// Sleeps in slices, serving urgent work as it comes; false when it ends the
// exchange in progress.
bool pauseServingUrgent(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (serveUrgentWork()) return false;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return true;
    std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(kUrgentPollMs)));
  }
}
}  // namespace

void setRetryPauseMs(int milliseconds) { g_retryPauseMs = milliseconds; }
bool retryPause() { return pauseServingUrgent(g_retryPauseMs.load()); }
void setSplitPauseMs(int milliseconds) { g_splitPauseMs = milliseconds; }
bool splitPause() { return pauseServingUrgent(g_splitPauseMs.load()); }
void setFrameObserver(FrameObserver observer) { g_observer = observer; }

void setTransactionsAbandoned(bool abandoned) {
  g_failedSinceAbandoned = false;
  g_abandoned = abandoned;
}

bool transactionsAbandoned() { return g_abandoned.load(); }

int buildHeader(uint8_t commandCode, uint8_t* data) {
  data[0] = 0x02;
  std::memcpy(data + 1, commandName(commandCode), 6);
  data[7] = '0';
  data[8] = '1';
  data[9] = 'C';
  return kHeaderLength;
}

uint16_t checkReplyHeader(uint8_t commandCode, const uint8_t* data) {
  if (data[0] != 0x02) return 1;
  uint8_t found = kTableEnd;
  for (const CommandEntry* e = CommandTable; e->code != kTableEnd; ++e) {
    if (std::memcmp(data + 1, e->name, 6) == 0) {
      found = e->code;
      break;
    }
  }
  if (found != commandCode) return 1;
  if (data[7] != '1' || data[8] != '0' || data[9] != 'R') return 1;
  return 0;
}

uint16_t sendRequest(uint16_t port, FrameBuffer& request) {
  uint16_t count = 0;
  request.result = writePort(port, request.length, request.data, &count);
  if (FrameObserver observer = g_observer.load()) observer(true, request.data, request.length);
  return request.result;
}

uint16_t receiveReply(uint16_t port, FrameBuffer& reply) {
  reply.length = 0;
  uint16_t count = 0;
  reply.result = readPort(port, kFrameSize, reply.data, &count, kReadWait);
  reply.length = count;
  if (FrameObserver observer = g_observer.load()) observer(false, reply.data, reply.length);
  return reply.result;
}

bool repeatAttempts(bool (*attempt)(void* context), void* context) {
  for (int n = 0; n < kTransactionAttempts; ++n) {
    if (g_abandoned.load() && g_failedSinceAbandoned.load()) return false;
    if (attempt(context)) return true;
    if (g_abandoned.load()) {
      g_failedSinceAbandoned = true;
      break;
    }
    // An attempt given up for a stop: the stop goes out now; then the exchange
    // tries again as after any failed attempt, unless it is a motion.
    if (serveUrgentWork()) return false;
    if (n < kTransactionAttempts - 1 && !retryPause()) return false;
  }
  return false;
}

namespace {
struct SingleReply {
  uint16_t port;
  FrameBuffer* request;
  FrameBuffer* reply;
};
bool singleAttempt(void* context) {
  SingleReply& t = *static_cast<SingleReply*>(context);
  return sendRequest(t.port, *t.request) == PORT_OK && receiveReply(t.port, *t.reply) == PORT_OK;
}
}  // namespace

uint16_t runTransaction(uint16_t port, FrameBuffer& request, FrameBuffer& reply) {
  SingleReply t{port, &request, &reply};
  return repeatAttempts(singleAttempt, &t) ? 0 : 1;
}
