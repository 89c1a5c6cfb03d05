// Communication thread and link lifecycle: connection requests, skipped and ignored
// commands, shutdown closing the port and failing later requests fast.
#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>
#include "files/settings.h"
#include "link/comm_thread.h"
#include "link/connection.h"
#include "resources/resource.h"
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "protocol/command_table.h"
#include "serial/serial_port.h"
#include "tests/support/fake_line.h"
#include "tests/support/sim_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

TEST(LinkLifecycle, RequestsFailFastWithoutABoxWhenTheLinkIsNotRunning) {
  ScriptedPrompt prompt;
  for (int round = 0; round < 5; ++round) {
    ASSERT_EQ(linkStart(), 0) << round;
    EXPECT_EQ(linkStart(), 1);   // already running
    linkShutdown();
    auto start = Clock::now();
    uint16_t value = 7;
    EXPECT_EQ(request_RDSSTS(nullptr, &value, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(request_STOP__(nullptr, 0), 1);
    EXPECT_EQ(postConnectionRequest(1, 1, 0), 1);
    EXPECT_LT(msSince(start), 200);
    EXPECT_EQ(value, 7);
  }
  linkShutdown();   // a second shutdown does nothing
  EXPECT_EQ(prompt.messageCount(), 0u);
}

#ifndef _WIN32

class LinkThread : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line.ok());
    setPortDevicePath(6, "/nonexistent/qz-tty");
    ASSERT_EQ(startLinkOn(line.slavePath()), 0);
  }
  void TearDown() override {
    linkShutdown();
    EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  }
  FakeLine line;
};

TEST_F(LinkThread, OpenFailureAnswersOneAndLeavesThePortBitClear) {
  EXPECT_EQ(postConnectionRequest(1, 1, 6), 1);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  EXPECT_EQ(postConnectionRequest(0, 1, 6), 1);   // closing a port that is not open
  EXPECT_EQ(postConnectionRequest(1, 1, 0), 0);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);
  EXPECT_EQ(postConnectionRequest(1, 1, 0), 1);   // already open
  EXPECT_EQ(postConnectionRequest(0, 1, 6), 1);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);     // a failed close leaves the bit as it was
  EXPECT_EQ(postConnectionRequest(0, 1, 0), 0);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
}

// Connect moves from COM1 to COM12 and back; a second Connect on the open port
// reopens it; no port chosen fails with IDS_PORT_INIT_FAILED and is kept as COM1 at exit.
TEST_F(LinkThread, ConnectOpensAnyPortNumberAndClosesTheOneBefore) {
  ScriptedPrompt prompt;
  FakeLine second;
  ASSERT_TRUE(second.ok());
  setPortDevicePath(11, second.slavePath());
  const SavedPortAccess kSaved{savedPort, setSavedPort};
  setSavedPort(0);
  ASSERT_EQ(connectSelectedPort(nullptr, 0, kSaved), 0);
  ASSERT_EQ(connectSelectedPort(nullptr, 11, kSaved), 0);
  EXPECT_EQ(g_mode.currentPort, 11);
  EXPECT_EQ(savedPort(), 11);
  EXPECT_EQ(connectSelectedPort(nullptr, 0, kSaved), 0) << "COM1 was closed when COM12 was opened";
  EXPECT_EQ(connectSelectedPort(nullptr, 11, kSaved), 0) << "and COM12 when COM1 was";
  EXPECT_EQ(connectSelectedPort(nullptr, 11, kSaved), 0) << "reconnecting the open port";
  EXPECT_EQ(g_mode.currentPort, 11);
  EXPECT_EQ(prompt.messageCount(), 0u);
  EXPECT_EQ(connectSelectedPort(nullptr, -1, kSaved), 1);
  ASSERT_EQ(prompt.messageCount(), 1u);
  EXPECT_EQ(prompt.messages()[0].textId, IDS_PORT_INIT_FAILED);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0) << "COM12 was closed first";
  EXPECT_EQ(savedPortAtExit(savedPort()), 0);
}

TEST_F(LinkThread, DisabledCommandsAndUnknownCodesAreAnsweredWithoutAnExchange) {
  ASSERT_EQ(postConnectionRequest(1, 0, 0), 0);   // open, commands disabled
  RequestRecord* record = new RequestRecord;
  clearRecord(*record);
  record->opCode = CMD_RDSSTS;
  record->rdssts.ready = 0x5A;   // must stay as the caller left it
  postCommandRequest(record);
  EXPECT_EQ(record->status, 0);
  EXPECT_EQ(record->rdssts.ready, 0x5A);
  EXPECT_EQ(record->rdssts.statusValue, 0);

  ASSERT_EQ(postConnectionRequest(0, 1, 0), 0);
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  clearRecord(*record);
  record->opCode = 28;
  postCommandRequest(record);
  EXPECT_EQ(record->status, 0);
  record->opCode = 0xFF;
  postCommandRequest(record);
  EXPECT_EQ(record->status, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(line.received(), "");

  // The same set-up with a known code does reach the line.
  line.answerGarbage(true);
  clearRecord(*record);
  record->opCode = CMD_RDSSTS;
  postCommandRequest(record);
  EXPECT_EQ(record->status, STATUS_MALFORMED);
  EXPECT_EQ(line.received().rfind("\x02RDSSTS", 0), 0u) << line.received();
  delete record;
}

// The communication thread sleeps between requests and wakes for each one: a
// request answered without an exchange comes back in well under a millisecond
// (median), where a 10 ms pass on both sides would take 10 ms or more.
TEST_F(LinkThread, ARequestWithoutAnExchangeIsAnsweredWithinAMillisecond) {
  RequestRecord record;
  std::vector<long> micros;
  for (int round = 0; round < 100; ++round) {
    clearRecord(record);
    record.opCode = 0xFF;
    auto start = Clock::now();
    postCommandRequest(&record);
    micros.push_back(static_cast<long>(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count()));
    // The thread is asleep again when the next one comes.
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
  std::sort(micros.begin(), micros.end());
  EXPECT_LT(micros[micros.size() / 2], 1000);
}

TEST_F(LinkThread, ConnectionRequestThatCannotBeQueuedReportsFailure) {
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  // A status read on the silent line keeps the thread busy in its exchange.
  RequestRecord* record = new RequestRecord;
  clearRecord(*record);
  record->opCode = CMD_RDSSTS;
  std::thread busy([&] { postCommandRequest(record); });
  auto start = Clock::now();
  while (line.received().find("RDSSTS") == std::string::npos && msSince(start) < 3000)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::vector<std::thread> queued;
  std::atomic<int> answered{0};
  for (int i = 0; i < kChannelCapacity; ++i)
    queued.emplace_back([&] {
      postConnectionRequest(0, 1, 6);
      answered += 1;
    });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(answered.load(), 0);
  start = Clock::now();
  EXPECT_EQ(postConnectionRequest(0, 1, 0), 1);   // the channel is full
  EXPECT_LT(msSince(start), 200);
  line.inject("\x02#?\r");   // ends the exchange
  busy.join();
  for (auto& t : queued) t.join();
  EXPECT_EQ(record->status, STATUS_MALFORMED);
  EXPECT_EQ(answered.load(), kChannelCapacity);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);   // the refused close never ran
  delete record;
}

TEST_F(LinkThread, ShutdownClosesTheOpenPortAndStartWorksAgain) {
  ScriptedPrompt prompt;
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  linkShutdown();
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  // The port was really released: the restarted link can open it again.
  ASSERT_EQ(linkStart(), 0);
  EXPECT_EQ(postConnectionRequest(1, 1, 0), 0);
  EXPECT_EQ(prompt.messageCount(), 0u);
}

// A request in flight on a silent line, a single reply or a chain alike: shutdown
// waits for its current read only, not for the remaining attempts, and shows no box.
// The read is shortened to 2 s here; the serial suite keeps the real 10 s.
TEST_F(LinkThread, ShutdownDuringASilentRequestWaitsForOneReadOnly) {
  ScriptedPrompt prompt;
  setLinkReadTotalMs(2000);
  for (uint8_t command : {CMD_STOP, CMD_RD_ALM}) {
    ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
    uint16_t status = 0;
    std::thread worker([&] {
      AlarmEntry alarms[kMaxAlarmEntries];
      uint16_t count = 0;
      status = command == CMD_STOP ? request_STOP__(nullptr, 0)
                                   : request_RD_ALM(nullptr, 0, &count, alarms);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto start = Clock::now();
    linkShutdown();
    // One read lasts about 2 s; three attempts would take 7 s.
    EXPECT_LT(msSince(start), 4000) << commandName(command);
    worker.join();
    EXPECT_EQ(status, STATUS_COMM_FAILURE);
    EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
    ASSERT_EQ(linkStart(), 0);
  }
  setLinkReadTotalMs(10000);
  EXPECT_EQ(prompt.messageCount(), 0u);
}

TEST_F(LinkThread, ABoxLeftOpenAtShutdownNeitherBlocksItNorReconnectsAfterwards) {
  ScriptedPrompt prompt;
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  line.answerGarbage(true);
  prompt.holdBoxes();
  prompt.queueAnswer(ANSWER_YES);
  uint16_t status = 0;
  std::thread worker([&] { status = request_STOP__(nullptr, 0); });
  ASSERT_TRUE(prompt.waitForMessages(1, 5000));
  auto start = Clock::now();
  linkShutdown();
  EXPECT_LT(msSince(start), 2000);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  prompt.release();
  worker.join();
  EXPECT_EQ(status, STATUS_MALFORMED);
  EXPECT_EQ(prompt.messageCount(), 1u);   // no reconnection, no second box
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  ASSERT_EQ(linkStart(), 0);
}

TEST_F(LinkThread, ConcurrentRequestsDuringShutdownNeverTouchDestroyedChannels) {
  ScriptedPrompt prompt;
  std::atomic<bool> stop{false};
  std::vector<std::thread> workers;
  for (int i = 0; i < 4; ++i)
    workers.emplace_back([&, i] {
      while (!stop.load()) {
        RequestRecord* record = new RequestRecord;
        clearRecord(*record);
        record->opCode = static_cast<uint8_t>(100 + i);   // answered without exchange
        postCommandRequest(record);
        delete record;
        postConnectionRequest(0, 1, 6);
      }
    });
  for (int round = 0; round < 10; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    linkShutdown();
    ASSERT_EQ(linkStart(), 0);
  }
  stop.store(true);
  for (auto& w : workers) w.join();
  EXPECT_EQ(prompt.messageCount(), 0u);
}

#endif
