// Link start and shutdown; the posting calls, gated so that no thread touches a
// channel once shutdown has begun.
#include "link/link.h"
#include <atomic>
#include <condition_variable>
#include <mutex>
#include "link/channel.h"
#include "link/comm_thread.h"
#include "link/link_state.h"
#include "link/status_poll.h"
#include "link/request_call.h"
#include "protocol/framing.h"
#include "protocol/request_record.h"
#include "toolkit/worker.h"

namespace {

// The gate: posts enter only while the link runs; shutdown closes it and waits
// until every post already inside has had its answer.
std::mutex g_gateLock;
std::condition_variable g_gateIdle;
bool g_gateOpen = false;
int g_postsInside = 0;
Channel* g_commandChannel = nullptr;
Channel* g_connectionChannel = nullptr;
Channel* g_stopChannel = nullptr;
std::atomic<uint32_t> g_motionEpoch{1};
CommThread g_comm;
std::mutex g_lifecycleLock;   // one linkStart or linkShutdown at a time

// Every worker thread carries its run flag while its body runs, and gives up the
// reply channel its first post made when the body returns.
void endWorkerThread() {
  setThreadRunFlag(nullptr);
  releaseThreadReplyChannel();
}
const WorkerThreadHooks kWorkerHooks = {setThreadRunFlag, endWorkerThread};

struct Channels {
  Channel* command;
  Channel* connection;
  Channel* stop;
};

bool enterGate(Channels* channels) {
  std::lock_guard<std::mutex> guard(g_gateLock);
  if (!g_gateOpen) return false;
  ++g_postsInside;
  *channels = Channels{g_commandChannel, g_connectionChannel, g_stopChannel};
  return true;
}

void leaveGate() {
  std::lock_guard<std::mutex> guard(g_gateLock);
  if (--g_postsInside == 0) g_gateIdle.notify_all();
}

// Each posting thread keeps one reply channel for its whole life: every post
// gets exactly one answer before the next post, so the channel is always empty
// when it is used again. A plain pointer, released by releaseThreadReplyChannel:
// a thread_local with a destructor is not safe under MinGW, where the thread's
// emulated TLS block can be freed before that destructor runs at thread exit.
struct ThreadReplyChannel {
  Channel* channel;
};
thread_local ThreadReplyChannel t_reply{nullptr};
// Plain values: nothing to destroy at thread exit.
thread_local uint32_t t_boundEpoch = 0;
thread_local uint8_t t_boundStopMode = 0;

// Sends `payload` with this thread's reply channel and waits for the u16 answer.
// `queued` tells whether the request reached the channel at all.
uint16_t postAndWait(Channel* channel, const void* payload, uint16_t length, bool* queued) {
  *queued = false;
  if (!t_reply.channel) t_reply.channel = channelCreate(1);
  Channel* reply = t_reply.channel;
  if (!reply) return 0;
  uint16_t answer = 0;
  if (channelSend(channel, payload, length, reply)) {
    *queued = true;
    uint16_t got = 0;
    if (!channelReceive(reply, &answer, sizeof answer, &got, kChannelWait, nullptr)) answer = 0;
  }
  return answer;
}

uint16_t postConnectionTo(Channel* connection, uint32_t action, uint32_t commandsEnabled,
                          uint16_t port) {
  ConnectionRequest request{action, commandsEnabled, port};
  bool queued = false;
  uint16_t answer = postAndWait(connection, &request, sizeof request, &queued);
  return queued ? answer : 1;
}

}  // namespace

void releaseThreadReplyChannel() {
  channelDestroy(t_reply.channel);
  t_reply.channel = nullptr;
}

uint16_t linkStart() {
  std::lock_guard<std::mutex> life(g_lifecycleLock);
  setWorkerThreadHooks(&kWorkerHooks);
  {
    std::lock_guard<std::mutex> guard(g_gateLock);
    if (g_gateOpen || g_commandChannel) return 1;
  }
  Channel* command = channelCreate(kChannelCapacity);
  Channel* connection = command ? channelCreate(kChannelCapacity) : nullptr;
  Channel* stop = connection ? channelCreate(kChannelCapacity) : nullptr;
  if (!command || !connection || !stop) {
    channelDestroy(command);
    channelDestroy(connection);
    return 1;
  }
  if (!commThreadStart(&g_comm, connection, command, stop)) {
    channelDestroy(command);
    channelDestroy(connection);
    channelDestroy(stop);
    return 1;
  }
  std::lock_guard<std::mutex> guard(g_gateLock);
  g_commandChannel = command;
  g_connectionChannel = connection;
  g_stopChannel = stop;
  g_gateOpen = true;
  return 0;
}

void linkShutdown() {
  std::lock_guard<std::mutex> life(g_lifecycleLock);
  {
    std::lock_guard<std::mutex> guard(g_gateLock);
    if (!g_commandChannel) return;
    g_gateOpen = false;
  }
  // Request functions now return at once, so a poll thread not held in a box
  // ends within one pass; a request on a dead line stops after its current read.
  setTransactionsAbandoned(true);
  stopStatusPolling();
  {
    // The communication thread still runs and answers every post already inside.
    std::unique_lock<std::mutex> guard(g_gateLock);
    g_gateIdle.wait(guard, [] { return g_postsInside == 0; });
  }
  uint16_t port = g_comm.openedPort.load();
  if (linkFlagTest(LINK_PORT_OPEN) && port != kNoOpenPort)
    postConnectionTo(g_connectionChannel, 0, 1, port);
  commThreadStop(&g_comm);
  // No transaction runs any more: later ones (a new link, direct exchanges) make
  // all their attempts again.
  setTransactionsAbandoned(false);
  std::lock_guard<std::mutex> guard(g_gateLock);
  channelDestroy(g_commandChannel);
  channelDestroy(g_connectionChannel);
  channelDestroy(g_stopChannel);
  g_commandChannel = nullptr;
  g_connectionChannel = nullptr;
  g_stopChannel = nullptr;
}

bool linkRunning() {
  std::lock_guard<std::mutex> guard(g_gateLock);
  return g_gateOpen;
}

uint16_t postConnectionRequest(uint32_t action, uint32_t commandsEnabled, uint16_t port) {
  Channels channels{};
  if (!enterGate(&channels)) return 1;
  uint16_t answer = postConnectionTo(channels.connection, action, commandsEnabled, port);
  leaveGate();
  return answer;
}

uint32_t motionEpoch() { return g_motionEpoch.load(); }
void endPendingMotions() { g_motionEpoch.fetch_add(1); }
void bindMotions(uint32_t epoch, uint8_t failureStopMode) {
  t_boundEpoch = epoch;
  t_boundStopMode = epoch ? failureStopMode : 0;
}

uint16_t postCommandRequest(RequestRecord* record) {
  // The epoch moves before the stop is queued: a motion the communication
  // thread has not begun by then is never sent.
  if (record->opCode == CMD_STOP) g_motionEpoch.fetch_add(1);
  else if (isMotionCommand(record->opCode)) {
    record->motionEpoch = t_boundEpoch ? t_boundEpoch : g_motionEpoch.load();
    record->failureStopMode = t_boundStopMode;
  }
  Channels channels{};
  if (!enterGate(&channels)) {
    record->status = STATUS_COMM_FAILURE;
    return 0;
  }
  Channel* target = record->opCode == CMD_STOP ? channels.stop : channels.command;
  bool queued = false;
  postAndWait(target, &record, sizeof record, &queued);
  // A command that never reached the thread was not carried out.
  if (!queued) record->status = STATUS_COMM_FAILURE;
  leaveGate();
  return 0;
}
