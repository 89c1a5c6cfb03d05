// Status poll thread: follows the module, repaints on change, ends on a failed read
// answered No keeping the last status, and never holds up shutdown.
#include <gtest/gtest.h>
#include <chrono>
#include <thread>
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "link/status_poll.h"
#include "resources/resource.h"
#include "tests/support/fake_line.h"
#include "tests/support/sim_fixture.h"
#include "tests/support/wait.h"

#ifndef _WIN32

class StatusPoll : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line.ok());
    g_moduleStatus.ready = 0;
    g_moduleStatus.servoOn = 0;
    g_moduleStatus.mainCircuitOn = 0;
    g_moduleStatus.alarm = 0;
    ASSERT_EQ(startLinkOn(line.slavePath()), 0);
    ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
    line.answerStatus(true);
  }
  void TearDown() override {
    linkShutdown();
    EXPECT_FALSE(statusPollingActive());
  }
  FakeLine line;
  ScriptedPrompt prompt;
};

TEST_F(StatusPoll, FollowsTheModuleAndEndsAfterAFailedReadAnsweredNo) {
  line.setStatus(true, false, true, false);
  startStatusPolling(nullptr);
  ASSERT_TRUE(statusPollingActive());
  ASSERT_TRUE(waitFor([] { return g_moduleStatus.ready.load() == 1; }, 2000));
  EXPECT_EQ(g_moduleStatus.mainCircuitOn.load(), 1);
  EXPECT_EQ(g_moduleStatus.servoOn.load(), 0);
  int changes = prompt.statusChanges();
  EXPECT_GE(changes, 1);
  // Unchanged status: no repaint.
  int reads = line.statusReads();
  ASSERT_TRUE(waitFor([&] { return line.statusReads() >= reads + 3; }, 2000));
  EXPECT_EQ(prompt.statusChanges(), changes);
  line.setStatus(true, true, true, true);
  ASSERT_TRUE(waitFor([] { return g_moduleStatus.alarm.load() == 1; }, 2000));
  EXPECT_TRUE(prompt.waitForStatusChanges(changes + 1, 1000));

  prompt.queueAnswer(ANSWER_NO);
  line.answerStatus(false);
  line.answerGarbage(true);
  ASSERT_TRUE(prompt.waitForMessages(1, 3000));
  ASSERT_TRUE(waitFor([] { return !statusPollingActive(); }, 2000));
  auto shown = prompt.messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].textId, IDS_BAD_REPLY_FORMAT);
  EXPECT_EQ(shown[0].extra, "\n(RDSSTS)");
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  EXPECT_EQ(g_moduleStatus.ready.load(), 1);   // the last status stays shown
  EXPECT_EQ(g_moduleStatus.servoOn.load(), 1);
  EXPECT_EQ(g_moduleStatus.alarm.load(), 1);
}

TEST_F(StatusPoll, ReconnectionFromItsOwnBoxKeepsTheSameThreadPolling) {
  g_mode.currentPort = 0;
  startStatusPolling(nullptr);
  ASSERT_TRUE(statusPollingActive());
  prompt.queueAnswer(ANSWER_YES);
  line.answerStatus(false);
  line.answerGarbage(true);
  ASSERT_TRUE(prompt.waitForMessages(1, 3000));
  line.answerGarbage(false);
  line.answerStatus(true);
  int reads = line.statusReads();
  ASSERT_TRUE(waitFor([&] { return line.statusReads() >= reads + 3; }, 3000));
  EXPECT_TRUE(statusPollingActive());
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);
  EXPECT_EQ(prompt.messageCount(), 1u);
}

TEST_F(StatusPoll, StartsOnlyAfterAGoodFirstReadAndOnlyOnce) {
  line.answerStatus(false);
  line.answerGarbage(true);
  prompt.queueAnswer(ANSWER_NO);
  startStatusPolling(nullptr);
  EXPECT_FALSE(statusPollingActive());
  EXPECT_EQ(prompt.messageCount(), 1u);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);

  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  line.answerGarbage(false);
  line.answerStatus(true);
  startStatusPolling(nullptr);
  startStatusPolling(nullptr);
  EXPECT_TRUE(statusPollingActive());
  // One poll thread: about one read per 100 ms, not two.
  int reads = line.statusReads();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  EXPECT_LE(line.statusReads() - reads, 9);
}

TEST_F(StatusPoll, ShutdownIsNotHeldUpByAPollThreadSittingInABox) {
  startStatusPolling(nullptr);
  ASSERT_TRUE(statusPollingActive());
  prompt.holdBoxes();
  prompt.queueAnswer(ANSWER_YES);
  line.answerStatus(false);
  line.answerGarbage(true);
  ASSERT_TRUE(prompt.waitForMessages(1, 3000));
  auto start = std::chrono::steady_clock::now();
  linkShutdown();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kPollStopWaitMs + 2000));
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  prompt.release();   // the box returns Yes after the link is gone: no reconnection
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(prompt.messageCount(), 1u);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  ASSERT_EQ(linkStart(), 0);   // for TearDown
}

TEST_F(StatusPoll, ShutdownWhilePollingStopsThePollPromptly) {
  startStatusPolling(nullptr);
  ASSERT_TRUE(statusPollingActive());
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  auto start = std::chrono::steady_clock::now();
  linkShutdown();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_FALSE(statusPollingActive());
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  EXPECT_EQ(prompt.messageCount(), 0u);
  ASSERT_EQ(linkStart(), 0);
}

#endif
