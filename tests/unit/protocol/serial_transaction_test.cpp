// The serial port table on real pseudo-terminals (every reachable result code, one
// burst read) and the transaction's retries: silent line, dead line, headers.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "link/link_state.h"
#include "serial/serial_port.h"
#include "protocol/encoders.h"
#include "protocol/framing.h"
#include "protocol/request_record.h"
#include "tests/support/pty_peer.h"

TEST(ReplyHeader, BuiltAndRecognised) {
  uint8_t data[kFrameSize] = {};
  EXPECT_EQ(buildHeader(CMD_GOTOST, data), 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 10), "\x02GOTOST01C");

  auto check = [](uint8_t code, const std::string& text) {
    uint8_t reply[kFrameSize] = {};
    std::memcpy(reply, text.data(), text.size());
    return checkReplyHeader(code, reply);
  };
  EXPECT_EQ(check(CMD_GOTOST, "\x02GOTOST10R0000"), 0);
  EXPECT_EQ(check(CMD_WRPORT, "\x02WRPORT10R"), 0);
  EXPECT_EQ(check(CMD_GOTOST, "\x02GOTOPT10R0000"), 1);   // another command's reply
  EXPECT_EQ(check(CMD_GOTOST, "\x02GOTOST01C0000"), 1);   // a request, not a reply
  EXPECT_EQ(check(CMD_GOTOST, "\x02GOTOST10C0000"), 1);
  EXPECT_EQ(check(CMD_GOTOST, "\x03GOTOST10R0000"), 1);
  EXPECT_EQ(check(CMD_GOTOST, "\x02gotost10R0000"), 1);
  EXPECT_EQ(check(CMD_GOTOST, "?\x02GOTOST10R0000"), 1);
  EXPECT_EQ(check(CMD_GOTOST, ""), 1);
  EXPECT_EQ(check(CMD_GOTOST, "\x02GOTOS"), 1);           // cut inside the name
}

#ifndef _WIN32

namespace {

std::atomic<int> g_sentFrames{0};
void countSent(bool sent, const uint8_t*, uint16_t) {
  if (sent) ++g_sentFrames;
}

double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

class Line : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer.ok());
    setPortDevicePath(0, peer.slavePath());
    g_mode.currentPort = 0;
    g_mode.debugMode = 0;
    setRetryPauseMs(100);
    record = std::make_unique<RequestRecord>();
    clearRecord(*record);
  }
  void TearDown() override {
    setFrameObserver(nullptr);
    setRetryPauseMs(kRetryPauseMs);
    for (uint16_t p = 0; p < kSerialPortCount; ++p) closePort(p);
  }
  PtyPeer peer;
  std::unique_ptr<RequestRecord> record;
};

}  // namespace

TEST_F(Line, ResultCodesOfTheTable) {
  uint8_t buffer[kFrameSize];
  uint16_t count = 99;
  // Port numbers above 255 (COM256) never reach a device.
  EXPECT_EQ(openPort(256, kLineSettings, kPortTimings), PORT_BAD_NUMBER);
  EXPECT_EQ(closePort(256), PORT_BAD_NUMBER);
  EXPECT_EQ(readPort(300, 10, buffer, &count, kReadWait), PORT_BAD_NUMBER);
  EXPECT_EQ(writePort(0xFFFF, 1, buffer, &count), PORT_BAD_NUMBER);
  // Not open.
  EXPECT_EQ(closePort(0), PORT_NOT_OPEN);
  EXPECT_EQ(readPort(0, 10, buffer, &count, kReadWait), PORT_NOT_OPEN);
  EXPECT_EQ(writePort(0, 1, buffer, &count), PORT_NOT_OPEN);
  // A device that does not exist fails; the slot stays usable.
  setPortDevicePath(3, "/nonexistent/tty-for-test");
  EXPECT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_OPEN_FAILED);
  EXPECT_EQ(closePort(3), PORT_NOT_OPEN);
  setPortDevicePath(3, peer.slavePath());
  EXPECT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_OK);
  EXPECT_EQ(closePort(3), PORT_OK);

  ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
  EXPECT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_ALREADY_OPEN);
  // The device is in use by slot 0: a second slot cannot have it.
  setPortDevicePath(5, peer.slavePath());
  EXPECT_EQ(openPort(5, kLineSettings, kPortTimings), PORT_OPEN_FAILED);
  // The refused opens left slot 0 working.
  peer.script({{{"pong"}}});
  const uint8_t ping[] = {'p', 'i', 'n', 'g', '\r'};
  EXPECT_EQ(writePort(0, 5, ping, &count), PORT_OK);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(readPort(0, kFrameSize, buffer, &count, kReadWait), PORT_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), "pong");
  ASSERT_EQ(peer.requests().size(), 1u);
  EXPECT_EQ(peer.requests()[0].bytes, "ping\r");

  // Without the waiting mode an empty queue is not read at all.
  auto start = std::chrono::steady_clock::now();
  count = 99;
  EXPECT_EQ(readPort(0, kFrameSize, buffer, &count, 0), PORT_NOTHING_READ);
  EXPECT_EQ(count, 0);
  EXPECT_LT(msSince(start), 1000);

  EXPECT_EQ(closePort(0), PORT_OK);
  EXPECT_EQ(closePort(0), PORT_NOT_OPEN);
  ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);

  // A dead line: nothing can be written.
  peer.closeMaster();
  EXPECT_EQ(writePort(0, 5, ping, &count), PORT_NOTHING_WRITTEN);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(closePort(0), PORT_OK);
}

TEST_F(Line, BurstIsReadWholeAndEndsAfterTheInterval) {
  ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
  const std::string burst = "0123456789ABCDEFGHIJ";
  uint8_t buffer[kFrameSize] = {};
  uint16_t count = 0;
  peer.send(burst);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(readPort(0, kFrameSize, buffer, &count, kReadWait), PORT_OK);
  EXPECT_EQ(count, 20);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), burst);
  // Ended by the 50 ms interval, far from the 10 s total time-out.
  EXPECT_LT(msSince(start), 3000);

  // With bytes queued, the non-waiting mode reads them.
  peer.send("xyz");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(readPort(0, kFrameSize, buffer, &count, 0), PORT_OK);
  EXPECT_EQ(count, 3);
  // A read stops at its maximum length; the rest of the burst is discarded.
  peer.send(burst);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(readPort(0, 8, buffer, &count, kReadWait), PORT_OK);
  EXPECT_EQ(count, 8);
  EXPECT_EQ(readPort(0, kFrameSize, buffer, &count, 0), PORT_NOTHING_READ);
}

// The only test with a silent line: the first attempt's read runs into the total
// time-out, the request goes out again in full and the second reply counts.
TEST_F(Line, SilentFirstAttemptIsRetriedInFull) {
  ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
  record->opCode = CMD_RDPARM;
  record->rdparm.parameterNumber = 0x0100;
  peer.script({{}, {{framed("RDPARM10R0000S:Pn0100000003E8")}}});
  auto start = std::chrono::steady_clock::now();
  runCommandEncoder(record.get(), currentLineContext());
  const double ms = msSince(start);
  EXPECT_EQ(record->status, STATUS_OK);
  EXPECT_EQ(record->rdparm.parameterValue, 1000u);
  auto requests = peer.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].bytes, framed("RDPARM01CM:NORMS:Pn0100"));
  EXPECT_EQ(requests[1].bytes, requests[0].bytes);
  EXPECT_GE(ms, 9500);    // one read of about 10.26 s
  EXPECT_LT(ms, 30000);
}

TEST_F(Line, DeadLineFailsAfterThreeAttempts) {
  ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
  peer.closeMaster();
  setFrameObserver(countSent);

  auto attempt = [&](uint8_t code) {
    clearRecord(*record);
    record->opCode = code;
    g_sentFrames = 0;
    auto start = std::chrono::steady_clock::now();
    runCommandEncoder(record.get(), currentLineContext());
    return msSince(start);
  };
  // Ordinary exchange: three writes, two pauses.
  double ms = attempt(CMD_BKCTRL);
  EXPECT_EQ(record->status, STATUS_COMM_FAILURE);
  EXPECT_EQ(g_sentFrames.load(), 3);
  EXPECT_GE(ms, 190);
  // A chain repeats from its request the same way.
  record->rdAlm.device = 0;
  ms = attempt(CMD_RD_ALM);
  EXPECT_EQ(record->status, STATUS_COMM_FAILURE);
  EXPECT_EQ(g_sentFrames.load(), 3);
  EXPECT_GE(ms, 190);
  // A failed memory-read write is a communication failure, not a short read.
  clearRecord(*record);
  record->opCode = CMD_RD_MEM;
  record->rdMem.byteCount = 4;
  g_sentFrames = 0;
  runCommandEncoder(record.get(), currentLineContext());
  EXPECT_EQ(record->status, STATUS_COMM_FAILURE);
  EXPECT_EQ(g_sentFrames.load(), 3);
  // The first message of a split multi-speed positioning is written once only.
  clearRecord(*record);
  record->opCode = CMD_POS_MS;
  record->posMs.changeCount = 12;
  g_sentFrames = 0;
  auto start = std::chrono::steady_clock::now();
  runCommandEncoder(record.get(), currentLineContext());
  EXPECT_EQ(record->status, STATUS_COMM_FAILURE);
  EXPECT_EQ(g_sentFrames.load(), 1);
  EXPECT_LT(msSince(start), 450);   // no 500 ms pause, no second message
}

TEST_F(Line, TransactionReturnsTheFirstReadAsTheReply) {
  ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
  FrameBuffer request{}, reply{};
  request.length = static_cast<uint16_t>(buildHeader(CMD_RSTMDL, request.data) + 1);
  request.data[10] = '\r';
  // A leftover byte arrives in front of the reply; it is not skipped.
  peer.script({{{"\x7F" + framed("RSTMDL10R0000")}}});
  EXPECT_EQ(runTransaction(0, request, reply), 0);
  EXPECT_EQ(reply.result, PORT_OK);
  EXPECT_EQ(reply.length, 16);
  EXPECT_EQ(reply.data[0], 0x7F);
  EXPECT_EQ(checkReplyHeader(CMD_RSTMDL, reply.data), 1);
  ASSERT_EQ(peer.requests().size(), 1u);
  EXPECT_EQ(peer.requests()[0].bytes, framed("RSTMDL01C"));
}

#endif
