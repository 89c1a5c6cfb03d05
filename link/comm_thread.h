// The communication thread: the only thread that opens, closes, reads and writes
// serial ports. Each pass takes every waiting stop, then at most one connection
// request, then at most one command, from their channels; when they are all
// empty it sleeps until a message is sent to one of them.
#pragma once
#include <atomic>
#include <cstdint>
#include <thread>
#include "link/channel.h"

// Payload of the connection channel.
struct ConnectionRequest {
  uint32_t action;            // nonzero opens the port, 0 closes it
  uint32_t commandsEnabled;   // value the thread's flag takes after this request
  uint16_t port;              // 0 = COM1
};

constexpr uint16_t kNoOpenPort = 0xFFFF;

struct CommThread {
  std::thread thread;
  std::atomic<uint32_t> running{0};
  std::atomic<uint16_t> openedPort{kNoOpenPort};   // last port this thread opened
  ChannelBell bell;                                 // rung by its three channels and its stop
};

// Starts the loop on `connectionChannel`, `commandChannel` and `stopChannel`;
// false if the thread could not be started. Stops (STOP__ records, posted on the
// stop channel) go before everything queued, and a request waiting for its reply
// gives up that attempt for them.
bool commThreadStart(CommThread* comm, Channel* connectionChannel, Channel* commandChannel,
                     Channel* stopChannel);
// Clears the running flag and waits for the thread without time-out.
void commThreadStop(CommThread* comm);
// Total read time-out of the ports this thread opens from now on (default
// 10000 ms, the line's own). Tests of a silent module set it shorter.
void setLinkReadTotalMs(uint16_t milliseconds);
// Whether the ports this thread opens from now on end a read at the reply's CR
// (qzctl) or only after 50 ms of silence (the default, the desktop program's).
void setLinkFastReads(bool on);
