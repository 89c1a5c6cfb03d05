// Communication thread loop: connection requests first, then one command per pass.
#include "link/comm_thread.h"
#include <system_error>
#include "link/channel.h"
#include "link/link.h"
#include "link/link_state.h"
#include "serial/serial_port.h"
#include "protocol/request_record.h"
#include "protocol/encoders.h"
#include "protocol/framing.h"

namespace {

// The real line waits 10 s for a reply; tests of a silent module shorten it.
std::atomic<uint16_t> g_readTotalMs{kPortTimings.readTotalConstant};
std::atomic<bool> g_fastReads{false};

void answer(Channel* replyChannel, uint16_t value) {
  if (replyChannel) channelSend(replyChannel, &value, sizeof value, nullptr);
}

void handleConnection(CommThread* comm, const ConnectionRequest& request, uint32_t* commandsEnabled,
                      Channel* replyChannel) {
  uint16_t result;
  if (request.action != 0) {
    PortTimings timings = kPortTimings;
    timings.readTotalConstant = g_readTotalMs.load();
    timings.endAtCr = g_fastReads.load() ? 1 : 0;
    result = openPort(request.port, kLineSettings, timings) == PORT_OK ? 0 : 1;
    if (result == 0) {
      linkFlagSet(LINK_PORT_OPEN, true);
      comm->openedPort.store(request.port);
    }
  } else {
    result = closePort(request.port) == PORT_OK ? 0 : 1;
    if (result == 0) {
      linkFlagSet(LINK_PORT_OPEN, false);
      if (comm->openedPort.load() == request.port) comm->openedPort.store(kNoOpenPort);
    }
  }
  *commandsEnabled = request.commandsEnabled ? 1 : 0;
  answer(replyChannel, result);
}

// State of the one communication thread, read by the hooks it installs (which
// run on the same thread, inside an exchange).
std::atomic<Channel*> g_stopChannel{nullptr};
std::atomic<uint32_t> g_commandsEnabled{1};
std::atomic<bool> g_servingStops{false};
std::atomic<uint8_t> g_currentCommand{0xFF};   // the command being carried out, 0xFF none
std::atomic<bool> g_endedByStop{false};        // it was a motion, ended by a stop

bool stopWaiting() {
  Channel* stops = g_stopChannel.load();
  return !g_servingStops.load() && stops && channelPending(stops) > 0;
}

// Carries out every stop that waits, in the order they came.
void serveStops() {
  Channel* stops = g_stopChannel.load();
  if (!stops) return;
  g_servingStops.store(true);
  RequestRecord* record = nullptr;
  uint16_t length = 0;
  Channel* replyChannel = nullptr;
  while (channelReceive(stops, &record, sizeof record, &length, 0, &replyChannel)) {
    if (g_commandsEnabled.load() && record && length == sizeof record && record->opCode == CMD_STOP)
      runCommandEncoder(record, currentLineContext());
    answer(replyChannel, 0);
  }
  g_servingStops.store(false);
}

// Between two attempts of the exchange in progress: the stops go out, and a
// motion in progress ends there.
bool serveStopsInExchange() {
  serveStops();
  if (!isMotionCommand(g_currentCommand.load())) return false;
  g_endedByStop.store(true);
  return true;
}

// A waiting read gives up for a stop, and at shutdown, when nobody waits for it.
bool readShouldEnd() { return stopWaiting() || transactionsAbandoned(); }

void runCommand(RequestRecord* record) {
  // A motion asked for before the latest stop never goes out.
  if (isMotionCommand(record->opCode) && record->motionEpoch != motionEpoch()) {
    record->status = STATUS_CANCELLED;
    return;
  }
  g_endedByStop.store(false);
  g_currentCommand.store(record->opCode);
  // The encoders read no shared state: the line they run on is handed to them.
  runCommandEncoder(record, currentLineContext());
  g_currentCommand.store(0xFF);
  if (g_endedByStop.load() && record->status != STATUS_OK) {
    record->status = STATUS_CANCELLED;
    return;
  }
  // No valid reply: the module may have taken the motion. It is stopped now,
  // before the box about it, whatever the person answers there; and like every
  // stop it ends the motions asked for until now.
  if (isMotionCommand(record->opCode) &&
      (record->status == STATUS_COMM_FAILURE || record->status == STATUS_MALFORMED)) {
    endPendingMotions();
    RequestRecord stop;
    clearRecord(stop);
    stop.opCode = CMD_STOP;
    stop.stop.stopMode = record->failureStopMode ? 1 : 0;
    runCommandEncoder(&stop, currentLineContext());
  }
}

void threadLoop(CommThread* comm, Channel* connectionChannel, Channel* commandChannel) {
  g_commandsEnabled.store(1);
  setUrgentWork(UrgentWork{stopWaiting, serveStopsInExchange});
  setReadAbortCheck(readShouldEnd);
  for (;;) {
    // Counted before the running flag and the channels are looked at: whatever
    // is sent (or the stop of the thread) from here on rings past this count.
    uint32_t rings = bellRings(&comm->bell);
    if (comm->running.load() == 0) break;
    serveStops();
    bool served = false;
    ConnectionRequest request{};
    uint16_t length = 0;
    Channel* replyChannel = nullptr;
    if (channelReceive(connectionChannel, &request, sizeof request, &length, 0, &replyChannel)) {
      uint32_t commandsEnabled = g_commandsEnabled.load();
      if (length == sizeof request) handleConnection(comm, request, &commandsEnabled, replyChannel);
      else answer(replyChannel, 1);
      g_commandsEnabled.store(commandsEnabled);
      served = true;
    }
    RequestRecord* record = nullptr;
    if (channelReceive(commandChannel, &record, sizeof record, &length, 0, &replyChannel)) {
      if (g_commandsEnabled.load() && record && length == sizeof record && record->opCode < COMMAND_COUNT)
        runCommand(record);
      answer(replyChannel, 0);
      served = true;
    }
    // A pass that found every channel empty sleeps until something is sent; one
    // that served a request looks again at once, stops first.
    if (!served) bellWait(&comm->bell, rings);
  }
  setReadAbortCheck(nullptr);
  setUrgentWork(UrgentWork{nullptr, nullptr});
}

}  // namespace

void setLinkReadTotalMs(uint16_t milliseconds) { g_readTotalMs.store(milliseconds); }
void setLinkFastReads(bool on) { g_fastReads.store(on); }

bool commThreadStart(CommThread* comm, Channel* connectionChannel, Channel* commandChannel,
                     Channel* stopChannel) {
  if (comm->thread.joinable()) return false;
  g_stopChannel.store(stopChannel);
  channelAttachBell(connectionChannel, &comm->bell);
  channelAttachBell(commandChannel, &comm->bell);
  channelAttachBell(stopChannel, &comm->bell);
  comm->running.store(1);
  comm->openedPort.store(kNoOpenPort);
  try {
    comm->thread = std::thread(threadLoop, comm, connectionChannel, commandChannel);
  } catch (const std::system_error&) {
    comm->running.store(0);
    return false;
  }
  return true;
}

void commThreadStop(CommThread* comm) {
  comm->running.store(0);
  bellRing(&comm->bell);
  if (comm->thread.joinable()) comm->thread.join();
  g_stopChannel.store(nullptr);
}
