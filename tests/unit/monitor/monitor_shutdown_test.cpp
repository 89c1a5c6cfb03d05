// Every monitor polling a line that has gone dead, then the program closing: the
// monitors close without waiting, and the link's shutdown waits for the one read
// in flight only, not for one more read per queued monitor request, and shows no box.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/comm_thread.h"
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "monitor/monitor_poll.h"
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

}  // namespace

TEST(MonitorShutdown, ClosingOnADeadLineWaitsForOneReadOnly) {
  FakeLine line;   // answers nothing but status reads, which nobody makes here
  ASSERT_TRUE(line.ok());
  ScriptedPrompt prompt;
  setPortDevicePath(0, line.slavePath());
  resetModeRecord();
  linkFlagsClear();
  setLinkReadTotalMs(1000);
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
  std::this_thread::sleep_for(300ms);   // one request on the line, four queued

  // Closing: every monitor lets go at once, then the link shuts down.
  auto start = Clock::now();
  for (Worker& worker : workers) workerStop(&worker, 0);
  linkShutdown();
  auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  // One read is 1 s here; a read for each queued request would take five.
  EXPECT_LT(took, 2500);
  EXPECT_EQ(prompt.messageCount(), 0u);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  std::this_thread::sleep_for(100ms);   // the detached workers see the closed link and end
  setLinkReadTotalMs(10000);
}
