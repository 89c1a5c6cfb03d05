// The POSIX serial back end on real pseudo-terminals: every result code, how a
// read ends, exclusive opening, and the transaction's retries on a silent line.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "serial/serial_port.h"
#include "protocol/framing.h"
#include "tests/support/pty_peer.h"

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

class Serial : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    setPortDevicePath(3, pty_.slavePath());
  }
  void TearDown() override { closePort(3); }
  PtyPeer pty_;   // answers nothing: a silent module unless the test sends
};

TEST_F(Serial, ResultCodes) {
  uint8_t buffer[32];
  uint16_t count = 9;
  EXPECT_EQ(openPort(256, kLineSettings, kPortTimings), PORT_BAD_NUMBER);
  EXPECT_EQ(closePort(300), PORT_BAD_NUMBER);
  EXPECT_EQ(readPort(256, 1, buffer, &count, kReadWait), PORT_BAD_NUMBER);
  EXPECT_EQ(writePort(256, 1, buffer, &count), PORT_BAD_NUMBER);
  EXPECT_EQ(closePort(3), PORT_NOT_OPEN);
  EXPECT_EQ(readPort(3, 1, buffer, &count, kReadWait), PORT_NOT_OPEN);
  EXPECT_EQ(writePort(3, 1, buffer, &count), PORT_NOT_OPEN);

  setPortDevicePath(4, "/dev/qz-no-such-device");
  EXPECT_EQ(openPort(4, kLineSettings, kPortTimings), PORT_OPEN_FAILED);
  EXPECT_EQ(portOpenError(4), static_cast<uint32_t>(ENOENT)) << "the system's reason is kept";
  // A path that is not a terminal is refused, and nothing is written into it.
  char plain[] = "/tmp/qz-not-a-tty-XXXXXX";
  int plainFd = mkstemp(plain);
  ASSERT_GE(plainFd, 0);
  ::close(plainFd);
  setPortDevicePath(4, plain);
  EXPECT_EQ(openPort(4, kLineSettings, kPortTimings), PORT_OPEN_FAILED);
  EXPECT_EQ(portOpenError(4), static_cast<uint32_t>(ENOTTY));
  EXPECT_EQ(writePort(4, 1, buffer, &count), PORT_NOT_OPEN);
  ::unlink(plain);

  ASSERT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_OK);
  EXPECT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_ALREADY_OPEN);
  // The same device under another port number is in use.
  setPortDevicePath(5, pty_.slavePath());
  EXPECT_EQ(openPort(5, kLineSettings, kPortTimings), PORT_OPEN_FAILED);
  EXPECT_EQ(portOpenError(5), static_cast<uint32_t>(EBUSY));

  // 8 data bits, one stop bit, 9600 baud (a pseudo-terminal drops the parity bit,
  // so parity can only be seen on a real port).
  int fd = ::open(pty_.slavePath(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  termios tio{};
  tcgetattr(fd, &tio);
  ::close(fd);
  EXPECT_FALSE(tio.c_cflag & CSTOPB);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B9600));

  // Not waiting on an empty queue returns at once.
  auto t = Clock::now();
  EXPECT_EQ(readPort(3, 32, buffer, &count, 0), PORT_NOTHING_READ);
  EXPECT_EQ(count, 0);
  EXPECT_LT(msSince(t), 100);

  const uint8_t request[3] = {'A', 'B', '\r'};
  EXPECT_EQ(writePort(3, 3, request, &count), PORT_OK);
  EXPECT_EQ(count, 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(pty_.requests().size(), 1u);
  EXPECT_EQ(pty_.requests()[0].bytes, "AB\r");
  EXPECT_EQ(writePort(3, 0, request, &count), PORT_NOTHING_WRITTEN);

  EXPECT_EQ(closePort(3), PORT_OK);
  EXPECT_EQ(openPort(5, kLineSettings, kPortTimings), PORT_OK) << "free again after the close";
  EXPECT_EQ(portOpenError(5), 0u);
  closePort(5);
}

// Ports above COM9 live in the table beside low ones: each keeps its own device
// whichever is closed first, and a closed number is free for another device.
TEST_F(Serial, PortsAboveNineOpenBesideLowOnes) {
  PtyPeer second;
  ASSERT_TRUE(second.ok());
  setPortDevicePath(11, second.slavePath());
  setPortDevicePath(255, "/dev/qz-no-such-device");
  ASSERT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_OK);
  ASSERT_EQ(openPort(11, kLineSettings, kPortTimings), PORT_OK);
  EXPECT_EQ(openPort(11, kLineSettings, kPortTimings), PORT_ALREADY_OPEN);
  EXPECT_EQ(openPort(255, kLineSettings, kPortTimings), PORT_OPEN_FAILED);
  EXPECT_EQ(portOpenError(255), static_cast<uint32_t>(ENOENT));
  EXPECT_EQ(closePort(255), PORT_NOT_OPEN);
  uint16_t count = 0;
  const uint8_t a[2] = {'A', '\r'}, b[2] = {'B', '\r'};
  EXPECT_EQ(writePort(11, 2, b, &count), PORT_OK);
  EXPECT_EQ(closePort(3), PORT_OK);   // the first entry goes; 11 must stay whole
  EXPECT_EQ(writePort(3, 2, a, &count), PORT_NOT_OPEN);
  EXPECT_EQ(writePort(11, 2, b, &count), PORT_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(second.requests().size(), 2u);
  EXPECT_EQ(second.requests()[1].bytes, "B\r");
  EXPECT_TRUE(pty_.requests().empty());
  // The second device stays held by port 11 until 11 is closed.
  setPortDevicePath(3, second.slavePath());
  EXPECT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_OPEN_FAILED);
  EXPECT_EQ(closePort(11), PORT_OK);
  EXPECT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_OK);
  EXPECT_EQ(closePort(3), PORT_OK);
}

TEST(SerialNames, WindowsNamesAndComTexts) {
  char name[16];
  windowsPortName(0, name, sizeof name);
  EXPECT_STREQ(name, "COM1");
  windowsPortName(8, name, sizeof name);
  EXPECT_STREQ(name, "COM9");
  windowsPortName(9, name, sizeof name);
  EXPECT_STREQ(name, "\\\\.\\COM10");
  windowsPortName(255, name, sizeof name);
  EXPECT_STREQ(name, "\\\\.\\COM256");
  windowsPortName(256, name, sizeof name);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(parseComName("COM1"), 0);
  EXPECT_EQ(parseComName("com12"), 11);
  EXPECT_EQ(parseComName("COM256"), 255);
  for (const char* bad : {"COM0", "COM257", "COM01", "COM", "COM1x", "COM1000", "COM-1", "LPT1", ""})
    EXPECT_EQ(parseComName(bad), -1) << bad;
}

TEST_F(Serial, AReadEndsAfterTheBurstAndDiscardsWhatFollows) {
  ASSERT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_OK);
  std::thread module([&] {
    pty_.send("0123456789ABCDEFGHIJ");
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    pty_.send("late");
  });
  uint8_t buffer[256];
  uint16_t count = 0;
  auto t = Clock::now();
  EXPECT_EQ(readPort(3, 256, buffer, &count, kReadWait), PORT_OK);
  double ms = msSince(t);
  EXPECT_EQ(count, 20);
  EXPECT_GE(ms, 45);
  EXPECT_LT(ms, 110);
  module.join();
  // "late" arrived after the read; the next read gets only it, and a read of
  // fewer bytes than queued discards the rest.
  EXPECT_EQ(readPort(3, 2, buffer, &count, kReadWait), PORT_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(readPort(3, 256, buffer, &count, 0), PORT_NOTHING_READ);
}

TEST_F(Serial, AReadWaitsAsLongAsTheTimingsGivenAtOpen) {
  PortTimings quick = kPortTimings;
  quick.readTotalConstant = 300;
  ASSERT_EQ(openPort(3, kLineSettings, quick), PORT_OK);
  uint8_t buffer[16];
  uint16_t count = 0;
  auto t = Clock::now();
  EXPECT_EQ(readPort(3, 16, buffer, &count, kReadWait), PORT_NOTHING_READ);
  double ms = msSince(t);
  EXPECT_GE(ms, 300 + 16 - 20);
  EXPECT_LT(ms, 3000);
}

TEST_F(Serial, SilentLineReadAndThreeAttempts) {
  ASSERT_EQ(openPort(3, kLineSettings, kPortTimings), PORT_OK);
  setRetryPauseMs(500);
  FrameBuffer request{}, reply{};
  request.length = static_cast<uint16_t>(buildHeader(18, request.data) + 1);
  request.data[10] = '\r';
  auto t = Clock::now();
  EXPECT_EQ(runTransaction(3, request, reply), 1);
  double ms = msSince(t);
  EXPECT_EQ(reply.result, PORT_NOTHING_READ);
  EXPECT_EQ(reply.length, 0);
  // Three reads of about 10.256 s and two pauses of 500 ms.
  EXPECT_GE(ms, 3 * 10256 + 2 * 500 - 100);
  EXPECT_LT(ms, 3 * 12000 + 2 * 500);
  ASSERT_EQ(pty_.requests().size(), 3u) << "the request was written three times";
  for (const PtyPeer::Request& r : pty_.requests()) EXPECT_EQ(r.bytes.size(), 11u);
}

}  // namespace
#endif
