// Every monitor polling a line that has gone dead: a stop from another dialog
// waits behind one monitor read at most, and closing the program (the monitors
// let go at once, then the link shuts down) waits for the one read in flight
// only, with no box.
#include <gtest/gtest.h>

// The stand-in line is a pseudo-terminal: native only.
#ifndef _WIN32

#include <chrono>
#include <thread>

#include "link/comm_thread.h"
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "monitor/monitor_poll.h"
#include "protocol/framing.h"
#include "serial/serial_port.h"
#include "tests/support/fake_line.h"
#include "tests/support/scripted_prompt.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

uint16_t readMotion(void* owner, MonitorReading* r) {
  return request_RDMSTS(owner, &r->motionState, &r->motionStatusWord);
}
uint16_t readPorts(void* owner, MonitorReading* r) { return request_RDPORT(owner, 0, r->ports); }
uint16_t readValues(void* owner, MonitorReading*) {
  uint32_t v[7];
  return request_RD_MON(owner, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]);
}
uint16_t readAlarms(void* owner, MonitorReading* r) {
  return request_RD_ALM(owner, 0, &r->alarmCount, r->alarms);
}
void ignoreNotice(void*, uint32_t) {}

long msSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

TEST(MonitorShutdown, OnADeadLineAStopWaitsForOneMonitorReadAndClosingForOneRead) {
  FakeLine line;   // answers nothing but status reads, which nobody makes here
  ASSERT_TRUE(line.ok());
  ScriptedPrompt prompt;
  prompt.holdBoxes();   // nobody answers: a failed monitor keeps its box open
  setPortDevicePath(0, line.slavePath());
  resetModeRecord();
  linkFlagsClear();
  setLinkReadTotalMs(300);
  setRetryPauseMs(50);
  ASSERT_EQ(linkStart(), 0);
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);

  uint16_t (*reads[])(void*, MonitorReading*) = {readMotion, readPorts, readPorts, readValues, readAlarms};
  Worker workers[5];
  for (int i = 0; i < 5; ++i) {
    auto poll = std::make_shared<MonitorPoll>();
    poll->read = reads[i];
    poll->notify = ignoreNotice;
    ASSERT_TRUE(startMonitorPoll(&workers[i], nullptr, poll));
  }
  std::this_thread::sleep_for(100ms);

  // A request on the dead line makes three reads of about 0.55 s each (1.8 s): the
  // stop fails after the monitor request ahead of it and its own, not after five.
  auto asked = Clock::now();
  std::thread stop([] { request_STOP__(nullptr, 0); });
  bool stopFailed = false;
  while (!stopFailed && msSince(asked) < 15000) {
    for (const ShownMessage& m : prompt.messages()) stopFailed |= m.extra.find("STOP__") != std::string::npos;
    std::this_thread::sleep_for(5ms);
  }
  ASSERT_TRUE(stopFailed);
  EXPECT_LT(msSince(asked), 5000) << "the stop waited behind more than one monitor request";
  size_t boxes = prompt.messageCount();

  auto start = Clock::now();
  for (Worker& worker : workers) workerStop(&worker, 0);
  linkShutdown();
  EXPECT_LT(msSince(start), 1000) << "shutdown waited for more than the read in flight";
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  prompt.release();
  stop.join();
  std::this_thread::sleep_for(200ms);   // the detached workers see the closed link and end
  EXPECT_EQ(prompt.messageCount(), boxes) << "a box after shutdown began";
  setLinkReadTotalMs(10000);
  setRetryPauseMs(kRetryPauseMs);
}

#endif  // _WIN32
