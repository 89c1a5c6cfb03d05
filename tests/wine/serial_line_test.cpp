// The Win32 serial back end and the encoders under Wine, with qzsim mapped to COM1
// and COM2 left without a device.
#include <gtest/gtest.h>

#include <memory>

#include "link/link_state.h"
#include "serial/serial_port.h"
#include "protocol/encoders.h"
#include "protocol/framing.h"
#include "tests/support/sim_fixture.h"

namespace {

TEST(WinSerial, ResultCodesOfOpenCloseReadWrite) {
  uint8_t buffer[16];
  uint16_t count = 0;
  EXPECT_EQ(openPort(256, kLineSettings, kPortTimings), PORT_BAD_NUMBER);
  EXPECT_EQ(closePort(0), PORT_NOT_OPEN);
  EXPECT_EQ(readPort(0, 16, buffer, &count, kReadWait), PORT_NOT_OPEN);
  EXPECT_EQ(writePort(0, 1, buffer, &count), PORT_NOT_OPEN);
  EXPECT_EQ(openPort(1, kLineSettings, kPortTimings), PORT_OPEN_FAILED);   // COM2: no device
  ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
  EXPECT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_ALREADY_OPEN);
  // Not waiting on an empty queue returns at once.
  EXPECT_EQ(readPort(0, 16, buffer, &count, 0), PORT_NOTHING_READ);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(closePort(0), PORT_OK);
  EXPECT_EQ(closePort(0), PORT_NOT_OPEN);
  // COM12 (mapped to the simulator too) opens by its device path \\.\COM12.
  ASSERT_EQ(openPort(11, kLineSettings, kPortTimings), PORT_OK);
  EXPECT_EQ(openPort(11, kLineSettings, kPortTimings), PORT_ALREADY_OPEN);
  EXPECT_EQ(closePort(11), PORT_OK);
  EXPECT_EQ(openPort(199, kLineSettings, kPortTimings), PORT_OPEN_FAILED);   // COM200: none
}

class WinLine : public ::testing::Test {
 protected:
  void SetUp() override {
    SimProcess sim;
    if (!startSim(sim)) GTEST_SKIP() << "QZSIM_PTY and QZSIM_CONTROL not set";
    control_ = sim.control;
    ASSERT_TRUE(simCommand(control_, "RESET"));
    ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
    g_mode.currentPort = 0;
    setRetryPauseMs(50);
    record_ = std::make_unique<RequestRecord>();
  }
  void TearDown() override {
    closePort(0);
    if (control_) simCommand(control_, "RESET");
    setRetryPauseMs(500);
  }
  RequestRecord& run(uint8_t code) {
    record_->opCode = code;
    runCommandEncoder(record_.get(), currentLineContext());
    return *record_;
  }
  uint16_t control_ = 0;
  std::unique_ptr<RequestRecord> record_;
};

TEST_F(WinLine, ExchangesWithTheSimulator) {
  ASSERT_TRUE(simCommand(control_, "SET SERVO 1"));
  RequestRecord& s = run(CMD_RDSSTS);
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.rdssts.servoOn, 1);

  ASSERT_TRUE(simCommand(control_, "SET PARAM 0100 00001234"));
  clearRecord(*record_);
  record_->rdparm.parameterNumber = 0x0100;
  RequestRecord& p = run(CMD_RDPARM);
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.rdparm.parameterValue, 0x1234u);

  clearRecord(*record_);
  record_->rdMem.address = 0x1000;
  record_->rdMem.byteCount = 200;   // a chain of two replies through ReadFile
  uint8_t memory[200] = {};
  record_->rdMem.memoryData = memory;
  RequestRecord& m = run(CMD_RD_MEM);
  EXPECT_EQ(m.status, 0);
  EXPECT_EQ(m.rdMem.memoryData[1], 4);
}

TEST_F(WinLine, ErrorReplyAndSilentLine) {
  ASSERT_TRUE(simCommand(control_, "FAULT ERROR RDMSTS 0042"));
  clearRecord(*record_);
  RequestRecord& e = run(CMD_RDMSTS);
  EXPECT_EQ(e.status, 2);
  EXPECT_EQ(e.errorCode, 0x42);
  // One lost reply: the second attempt answers.
  ASSERT_TRUE(simCommand(control_, "FAULT NONE"));
  ASSERT_TRUE(simCommand(control_, "FAULT NOREPLY 1"));
  clearRecord(*record_);
  EXPECT_EQ(run(CMD_RDMSTS).status, 0);
}

}  // namespace
