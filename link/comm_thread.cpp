// Communication thread loop: connection requests first, then one command per pass.
#include "link/comm_thread.h"
#include <chrono>
#include <system_error>
#include "link/channel.h"
#include "link/link_state.h"
#include "serial/serial_port.h"
#include "protocol/request_record.h"
#include "protocol/encoders.h"

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

void threadLoop(CommThread* comm, Channel* connectionChannel, Channel* commandChannel) {
  uint32_t commandsEnabled = 1;
  while (comm->running.load() != 0) {
    ConnectionRequest request{};
    uint16_t length = 0;
    Channel* replyChannel = nullptr;
    if (channelReceive(connectionChannel, &request, sizeof request, &length, 0, &replyChannel)) {
      if (length == sizeof request) handleConnection(comm, request, &commandsEnabled, replyChannel);
      else answer(replyChannel, 1);
    }
    RequestRecord* record = nullptr;
    if (channelReceive(commandChannel, &record, sizeof record, &length, 0, &replyChannel)) {
      if (commandsEnabled && record && length == sizeof record && record->opCode < COMMAND_COUNT) {
        // The encoders read no shared state: the line they run on is handed to them.
        runCommandEncoder(record, currentLineContext());
      }
      answer(replyChannel, 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

void setLinkReadTotalMs(uint16_t milliseconds) { g_readTotalMs.store(milliseconds); }
void setLinkFastReads(bool on) { g_fastReads.store(on); }

bool commThreadStart(CommThread* comm, Channel* connectionChannel, Channel* commandChannel) {
  if (comm->thread.joinable()) return false;
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
  if (comm->thread.joinable()) comm->thread.join();
}
