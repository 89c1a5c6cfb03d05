// Encoders on a real pseudo-terminal: the exact request bytes, and what crafted
// replies decode to (offsets, keywords, chains and their final checks).
#ifndef _WIN32
#include <gtest/gtest.h>


#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "link/link_state.h"
#include "serial/serial_port.h"
#include "protocol/encoders.h"
#include "protocol/framing.h"
#include "tests/support/pty_peer.h"

namespace {

std::string stx(const std::string& s) { return "\x02" + s + "\r"; }

class Wire : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.ok());
    setPortDevicePath(0, peer_.slavePath());
    ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
    g_mode.currentPort = 0;
    g_mode.debugMode = 0;
    setRetryPauseMs(20);
    r_ = std::make_unique<RequestRecord>();
    clearRecord(*r_);
  }
  void TearDown() override {
    closePort(0);
    setRetryPauseMs(500);
  }
  // Encodes `code` with the record as prepared; returns the requests seen.
  // The replies of a chain come 100 ms apart.
  std::vector<std::string> run(uint8_t code, std::vector<std::vector<std::string>> replies) {
    r_->opCode = code;
    std::vector<PtyPeer::Answer> answers;
    for (auto& chain : replies) answers.push_back({chain, 100});
    peer_.clear();
    peer_.script(answers);
    runCommandEncoder(r_.get(), currentLineContext());
    std::vector<std::string> requests;
    for (const PtyPeer::Request& request : peer_.requests()) requests.push_back(request.bytes);
    return requests;
  }
  PtyPeer peer_;
  std::unique_ptr<RequestRecord> r_;
};

TEST_F(Wire, RequestBytes) {
  r_->bkctrl.brakeOn = 1;
  EXPECT_EQ(run(CMD_BKCTRL, {{stx("BKCTRL10R0000")}}), std::vector<std::string>{stx("BKCTRL01CM:ON_")});
  EXPECT_EQ(r_->status, 0);

  clearRecord(*r_);
  r_->feed = {0, 0, 4, 0x1388, 1};
  EXPECT_EQ(run(CMD_FEED, {{stx("FEED__10R0000")}})[0], stx("FEED__01CA:PARMPARMV:SET_00001388D:CCW"));

  clearRecord(*r_);
  r_->posing.head = {1, 2, 2, 0, 0};
  r_->posing.targetPosition = static_cast<uint32_t>(-1000);
  EXPECT_EQ(run(CMD_POSING, {{stx("POSING10R0000")}})[0], stx("POSING01CT:ABS_A:LACCEXP_V:PARMP:FFFFFC18"));

  clearRecord(*r_);
  r_->step.head = {1, 0, 0, 0, 0};
  r_->step.stepDirection = 1;
  r_->step.stepAmountSource = 4;
  r_->step.stepAmount = 100;
  EXPECT_EQ(run(CMD_STEP, {{stx("STEP__10R0000")}})[0], stx("STEP__01CT:ABS_A:PARMPARMV:PARMP:-SET_00000064"));

  const uint8_t bytes[2] = {0x34, 0x12};
  clearRecord(*r_);
  r_->wrMem = {0, 0x1000, 2, bytes};
  EXPECT_EQ(run(CMD_WR_MEM, {{stx("WR_MEM10R0000")}})[0], stx("WR_MEM01CT:QZA:00001000N:0002D:3412"));

  clearRecord(*r_);
  r_->posMs.head = {1, 0, 0, 4, 1};
  r_->posMs.changeMoveType = 1;
  r_->posMs.changeCount = 11;
  std::vector<std::string> one = run(CMD_POS_MS, {{stx("POS_MS10R0000")}});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].size(), 241u);
  EXPECT_EQ(one[0].substr(0, 17), "\x02POS_MS01CB:0000T");
}

TEST_F(Wire, SplitMultiSpeedWaitsWithoutReadingAReply) {
  r_->posMs.head = {1, 0, 0, 0, 0};
  r_->posMs.changeMoveType = 2;
  r_->posMs.changeCount = 12;
  r_->posMs.changePositions[11] = 0xAB;
  r_->posMs.changeSpeeds[11] = 0xCD;
  auto start = std::chrono::steady_clock::now();
  // The first message gets no answer; only the second one does.
  std::vector<std::string> sent = run(CMD_POS_MS, {{}, {stx("POS_MS10R0000")}});
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].substr(0, 16), "\x02POS_MS01CB:0001");
  EXPECT_EQ(sent[1], stx("POS_MS01CB:0000X:000000AB000000CD"));
  EXPECT_EQ(r_->status, 0);
  EXPECT_GE(ms, 480);
  EXPECT_LT(ms, 5000);
}

TEST_F(Wire, ReplyDecoding) {
  run(CMD_RDMSTS, {{stx("RDMSTS10R0000M:HOMING_S:0009")}});
  EXPECT_EQ(r_->status, 0);
  EXPECT_EQ(r_->rdmsts.motionState, 8);
  EXPECT_EQ(r_->rdmsts.motionStatusWord, 9);

  clearRecord(*r_);
  run(CMD_RDSSTS, {{stx("RDSSTS10R0000S:0000R:OFFV:OFFM:ON_A:XX_")}});
  EXPECT_EQ(r_->status, 3);
  EXPECT_EQ(r_->rdssts.mainCircuitOn, 1);
  EXPECT_EQ(r_->rdssts.alarm, 0xFF);

  clearRecord(*r_);
  r_->rdport.portSelect = 1;
  run(CMD_RDPORT, {{stx("RDPORT10R0000X:000100020003")}});
  EXPECT_EQ(r_->status, 3);

  clearRecord(*r_);
  std::string mon = "RD_MON10R0000";
  for (int i = 0; i < 6; ++i) mon += "XX" + std::string("0000000") + char('1' + i);
  mon += "DEADBEEF";
  run(CMD_RD_MON, {{stx(mon)}});
  EXPECT_EQ(r_->status, 0);
  EXPECT_EQ(r_->rdMon.monitor1, 6u);
  EXPECT_EQ(r_->rdMon.monitor2, 0xDEADBEEFu);

  clearRecord(*r_);
  r_->getPt.pointNumber = 5;
  run(CMD_GET_PT, {{stx("GET_PT10R0000N:0006V:00000001P:00000002")}});
  EXPECT_EQ(r_->status, 3);

  clearRecord(*r_);
  run(CMD_BKCTRL, {{stx("BKCTRL10R00A5")}});
  EXPECT_EQ(r_->status, 2);
  EXPECT_EQ(r_->errorCode, 0xA5);
  clearRecord(*r_);
  run(CMD_BKCTRL, {{"\x02" "BKCTRL10R00"}});   // cut short: the missing digits read as NUL
  EXPECT_EQ(r_->status, 0);
  clearRecord(*r_);
  run(CMD_BKCTRL, {{"Z" + stx("BKCTRL10R0000")}});
  EXPECT_EQ(r_->status, 3);
  clearRecord(*r_);
  run(CMD_SVCTRL, {{stx("BKCTRL10R0000")}});
  EXPECT_EQ(r_->status, 3);

  clearRecord(*r_);
  run(CMD_RDDVID, {{stx("RDDVID10R0000M:" + std::string(32, 'A') + ";")}});
  EXPECT_EQ(r_->status, 0);
  EXPECT_EQ(std::string(r_->rddvid.idText, 32), std::string(32, 'A'));
  clearRecord(*r_);
  run(CMD_RDDVID, {{stx("RDDVID10R0000M:" + std::string(33, 'A') + ";")}});
  EXPECT_EQ(r_->status, 3);
}

TEST_F(Wire, ChainsAndTheirFinalChecks) {
  // A marked reply then an unmarked one: the unmarked reply's items replace the list.
  run(CMD_RD_ALM, {{stx("RD_ALM10R0000P:0001D:0000000100000011" "0000000200000012"),
                    stx("RD_ALM10R0000D:0000000300000013")}});
  EXPECT_EQ(r_->status, 0);
  ASSERT_EQ(r_->rdAlm.alarmCount, 1);
  EXPECT_EQ(r_->rdAlm.alarms[0].alarmWord, 0x13u);

  clearRecord(*r_);
  std::string items;
  for (int i = 0; i < 9; ++i) items += "0000000000000001";
  run(CMD_RD_ALM, {{stx("RD_ALM10R0000P:0001D:" + items), stx("RD_ALM10R0000P:0000D:" + items)}});
  EXPECT_EQ(r_->status, 3) << "eighteen entries";

  uint8_t memory[6] = {};
  clearRecord(*r_);
  r_->rdMem.byteCount = 4;
  r_->rdMem.memoryData = memory;
  run(CMD_RD_MEM, {{stx("RD_MEM10R0000D:12345678")}});
  EXPECT_EQ(r_->status, 0);
  EXPECT_EQ(r_->rdMem.memoryData[3], 0x78);
  clearRecord(*r_);
  r_->rdMem.byteCount = 5;
  r_->rdMem.memoryData = memory;
  run(CMD_RD_MEM, {{stx("RD_MEM10R0000D:12345678")}});
  EXPECT_EQ(r_->status, 3);

  clearRecord(*r_);
  r_->rdMem.byteCount = 6;
  r_->rdMem.memoryData = memory;
  run(CMD_RD_MEM, {{stx("RD_MEM10R0000P:0001D:01020304"), stx("RD_MEM10R0000D:0506")}});
  EXPECT_EQ(r_->status, 0);
  EXPECT_EQ(r_->rdMem.memoryData[5], 6);
}

TEST_F(Wire, OversizedMemoryWriteIsNeverSent) {
  std::vector<uint8_t> data(112, 0x55);
  r_->wrMem = {0, 0, 112, data.data()};
  EXPECT_TRUE(run(CMD_WR_MEM, {}).empty());
  EXPECT_EQ(r_->status, 3);
}

}  // namespace
#endif
