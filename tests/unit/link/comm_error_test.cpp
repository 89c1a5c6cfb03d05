// The common error box: its texts, buttons and the reconnection each answer leads to.
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <thread>
#include "link/comm_thread.h"
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "serial/serial_port.h"
#include "resources/resource.h"
#include "tests/support/fake_line.h"
#include "tests/support/sim_fixture.h"

#ifndef _WIN32

namespace {

constexpr uint32_t kQuestion = PROMPT_YESNO | PROMPT_ICON_ERROR;
constexpr uint32_t kNotice = PROMPT_OK | PROMPT_ICON_ERROR;

size_t countOf(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

class CommError : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line.ok());
    setPortDevicePath(6, "/nonexistent/qz-tty");
    ASSERT_EQ(startLinkOn(line.slavePath()), 0);
  }
  void TearDown() override { linkShutdown(); }
  FakeLine line;
  ScriptedPrompt prompt;
};

TEST_F(CommError, ErrorReplyShowsOnlyOkWithNameAndCodeAndLeavesThePortAlone) {
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  prompt.queueAnswer(ANSWER_YES);   // must not be asked a question
  EXPECT_EQ(showCommError(nullptr, CMD_STOP, STATUS_ERROR_REPLY, 0x1A), ANSWER_YES);
  auto shown = prompt.messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].textId, IDS_ERROR_REPLY);
  EXPECT_EQ(shown[0].extra, "\nSTOP__ 001A");
  EXPECT_EQ(shown[0].captionId, IDS_CAPTION);
  EXPECT_EQ(shown[0].style, kNotice);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);
  // Still open on the same port: a second open is refused.
  EXPECT_EQ(postConnectionRequest(1, 1, 0), 1);
  showCommError(nullptr, CMD_FEED, STATUS_ERROR_REPLY, 0xBEEF);
  EXPECT_EQ(prompt.messages().back().extra, "\nFEED__ BEEF");
}

TEST_F(CommError, NoAfterAMalformedReplyLeavesThePortClosed) {
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  line.answerGarbage(true);
  prompt.queueAnswer(ANSWER_NO);
  EXPECT_EQ(request_STOP__(nullptr, 0), STATUS_MALFORMED);
  auto shown = prompt.messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].textId, IDS_BAD_REPLY_FORMAT);
  EXPECT_EQ(shown[0].extra, "\n(STOP__)");
  EXPECT_EQ(shown[0].captionId, IDS_CAPTION);
  EXPECT_EQ(shown[0].style, kQuestion);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  // Every later request fails until the user connects again; the port is free.
  EXPECT_EQ(postConnectionRequest(1, 1, 0), 0);
}

TEST_F(CommError, YesReopensTheCurrentPortAndReadsTheStatusAgain) {
  g_mode.currentPort = 0;
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  line.answerGarbage(true);
  prompt.queueAnswer(ANSWER_YES);   // the STOP__ box
  prompt.queueAnswer(ANSWER_NO);    // the box of the status read after reopening
  EXPECT_EQ(request_STOP__(nullptr, 0), STATUS_MALFORMED);
  auto shown = prompt.messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].extra, "\n(STOP__)");
  EXPECT_EQ(shown[1].textId, IDS_BAD_REPLY_FORMAT);
  EXPECT_EQ(shown[1].extra, "\n(RDSSTS)");
  std::string sent = line.received();
  EXPECT_EQ(sent.find("\x02STOP__"), 0u) << sent;
  EXPECT_EQ(countOf(sent, "\x02RDSSTS"), 1u) << sent;
  EXPECT_GT(sent.find("\x02RDSSTS"), sent.find("\x02STOP__"));
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);   // No in the second box closed it again
}

TEST_F(CommError, FailedReopenShowsThePortInitialisationBox) {
  g_mode.currentPort = 6;   // a device that cannot be opened
  prompt.queueAnswer(ANSWER_YES);
  // No port is open: the status read fails after its retries, with the box.
  uint16_t value = 0x7777;
  EXPECT_EQ(request_RDSSTS(nullptr, &value, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(value, 0x7777);   // results are not copied on failure
  auto shown = prompt.messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].textId, IDS_COMM_ERROR);
  EXPECT_EQ(shown[0].extra, "\n(RDSSTS)");
  EXPECT_EQ(shown[0].style, kQuestion);
  EXPECT_EQ(shown[1].textId, IDS_PORT_INIT_FAILED);
  EXPECT_EQ(shown[1].extra, "");
  EXPECT_EQ(shown[1].captionId, IDS_CAPTION);
  EXPECT_EQ(shown[1].style, kNotice);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  // Answered No the same failure is returned as it is.
  prompt.queueAnswer(ANSWER_NO);
  EXPECT_EQ(request_RDSSTS(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), STATUS_COMM_FAILURE);
  EXPECT_EQ(prompt.messageCount(), 3u);
}

// A lost line fails the status poll and a monitor alike: one box, whose answer
// stands for both; a failure after the box has been answered shows its own again.
TEST_F(CommError, ALostLineShowsOneBoxForTheRequestsUnderWay) {
  setLinkReadTotalMs(100);   // the silent line fails each attempt quickly
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  prompt.holdBoxes();
  std::thread poll([] { request_RDSSTS(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); });
  ASSERT_TRUE(prompt.waitForMessages(1, 10000));
  std::atomic<uint16_t> monitor{0xFFFF};
  std::thread monitorThread([&] { monitor = request_RDSSTS(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); });
  for (int i = 0; i < 100 && monitor.load() == 0xFFFF; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(monitor.load(), STATUS_COMM_FAILURE) << "the monitor's request returns while the box is open";
  EXPECT_EQ(prompt.messageCount(), 1u) << "no second box while the first is open";
  prompt.release();
  poll.join();
  monitorThread.join();
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0) << "the one No closed the port";
  EXPECT_EQ(request_RDSSTS(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), STATUS_COMM_FAILURE);
  EXPECT_EQ(prompt.messageCount(), 2u);
  setLinkReadTotalMs(kPortTimings.readTotalConstant);
}

// Two bad replies, two boxes, both answered Yes at once: each reconnects in turn,
// and neither finds the port the other has just opened.
TEST_F(CommError, MalformedRepliesUnderWayEachAskAndReconnectInTurn) {
  g_mode.currentPort = 0;
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  line.answerGarbage(true);
  prompt.holdBoxes();
  prompt.queueAnswer(ANSWER_YES);
  prompt.queueAnswer(ANSWER_YES);   // later boxes (the status reads after reopening) answer No
  std::thread first([] { request_RDSSTS(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); });
  std::thread second([] { request_RD_ALM(nullptr, 0, nullptr, nullptr); });
  ASSERT_TRUE(prompt.waitForMessages(2, 10000));
  prompt.release();
  first.join();
  second.join();
  for (const auto& shown : prompt.messages()) {
    EXPECT_EQ(shown.textId, IDS_BAD_REPLY_FORMAT) << shown.extra;
    EXPECT_EQ(shown.style, kQuestion);
  }
}

TEST_F(CommError, OversizedMemoryWriteIsRefusedBeforeAnythingIsSent) {
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  uint8_t data[112] = {};
  EXPECT_EQ(request_WR_MEM(nullptr, 0, 0x1000, 112, data), STATUS_MALFORMED);
  EXPECT_EQ(request_WR_MEM(nullptr, 0, 0x1000, 5, nullptr), STATUS_MALFORMED);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(line.received(), "");
  EXPECT_EQ(prompt.messageCount(), 0u);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);
}

#endif
