// The tool's encoders against the simulator over a pseudo-terminal: what the
// simulator is set to through its control port comes back decoded, and each
// injected fault becomes the outcome the tool must report.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "link/link_state.h"
#include "serial/serial_port.h"
#include "protocol/encoders.h"
#include "protocol/framing.h"
#include "tests/support/sim_fixture.h"

namespace {

class SimLine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(startSim(sim_));
    setPortDevicePath(0, sim_.pty.c_str());
    // 1 s reads: a lost reply costs a second, not the line's 10 s.
    PortTimings quick = kPortTimings;
    quick.readTotalConstant = 1000;
    ASSERT_EQ(openPort(0, kLineSettings, quick), PORT_OK);
    g_mode.currentPort = 0;
    g_mode.debugMode = 0;
    setRetryPauseMs(50);
    record_ = std::make_unique<RequestRecord>();
  }
  void TearDown() override {
    closePort(0);
    stopSim(sim_);
    setRetryPauseMs(500);
  }
  RequestRecord& run(uint8_t code) {
    record_->opCode = code;
    runCommandEncoder(record_.get(), currentLineContext());
    return *record_;
  }
  RequestRecord& fresh() {
    clearRecord(*record_);
    return *record_;
  }
  void control(const std::string& line) { ASSERT_TRUE(simCommand(sim_.control, line)) << line; }

  SimProcess sim_;
  std::unique_ptr<RequestRecord> record_;
};

TEST_F(SimLine, StatusParametersPointsAndIdentificationFollowTheModel) {
  control("SET SERVO 1");
  control("SET ALARM 1");
  RequestRecord& s = run((fresh(), CMD_RDSSTS));
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.rdssts.ready, 1);
  EXPECT_EQ(s.rdssts.servoOn, 1);
  EXPECT_EQ(s.rdssts.mainCircuitOn, 1);
  EXPECT_EQ(s.rdssts.alarm, 1);

  control("SET PARAM 0100 0000ABCD");
  RequestRecord& p = fresh();
  p.rdparm.parameterNumber = 0x0100;
  run(CMD_RDPARM);
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.rdparm.parameterValue, 0xABCDu);

  RequestRecord& w = fresh();
  w.wrparm.parameterNumber = 0x0100;
  w.wrparm.parameterValue = 1234;
  run(CMD_WRPARM);
  EXPECT_EQ(w.status, 0);
  std::string value;
  ASSERT_TRUE(simCommand(sim_.control, "GET PARAM 0100", &value));
  EXPECT_EQ(value, "000004D2\n");

  control("SET POINT 7 00002710 FFFFFC18");
  RequestRecord& g = fresh();
  g.getPt.pointNumber = 7;
  run(CMD_GET_PT);
  EXPECT_EQ(g.status, 0);
  EXPECT_EQ(g.getPt.speed, 10000u);
  EXPECT_EQ(static_cast<int32_t>(g.getPt.targetPosition), -1000);

  control("SET ID 3 SV 4.07 build 9");
  RequestRecord& id = fresh();
  id.rddvid.idItem = 3;
  run(CMD_RDDVID);
  EXPECT_EQ(id.status, 0);
  EXPECT_STREQ(id.rddvid.idText, "SV 4.07 build 9");
}

TEST_F(SimLine, ChainsOfAlarmsAndMemoryArriveWhole) {
  std::string alarms = "SET ALARMS SV";
  for (int i = 0; i < 16; ++i) alarms += " " + std::to_string(10000000 + i) + " 000001" + std::to_string(10 + i);
  control(alarms);
  RequestRecord& a = fresh();
  a.rdAlm.device = 1;
  run(CMD_RD_ALM);
  EXPECT_EQ(a.status, 0);
  ASSERT_EQ(a.rdAlm.alarmCount, 16);
  EXPECT_EQ(a.rdAlm.alarms[15].alarmWord, 0x125u);

  // Seventeen entries are more than the tool's list holds: malformed.
  control(alarms + " 20000000 00000001");
  fresh().rdAlm.device = 1;
  EXPECT_EQ(run(CMD_RD_ALM).status, 3);

  RequestRecord& m = fresh();
  m.rdMem.address = 0x1000;
  m.rdMem.byteCount = 300;   // three replies
  uint8_t memory[300] = {};
  m.rdMem.memoryData = memory;
  run(CMD_RD_MEM);
  EXPECT_EQ(m.status, 0);
  EXPECT_EQ(m.rdMem.memoryData[0], 1);
  EXPECT_EQ(m.rdMem.memoryData[63], 63 * 3 + 1);
  EXPECT_EQ(m.rdMem.memoryData[299], 0);

  const uint8_t bytes[4] = {0x78, 0x56, 0x34, 0x12};
  RequestRecord& wm = fresh();
  wm.wrMem.address = 0x2000;
  wm.wrMem.byteCount = 4;
  wm.wrMem.dataPointer = bytes;
  run(CMD_WR_MEM);
  EXPECT_EQ(wm.status, 0);
  std::string b;
  ASSERT_TRUE(simCommand(sim_.control, "GET MEM QZ 2003", &b));
  EXPECT_EQ(b, "12\n");
}

TEST_F(SimLine, InjectedFaultsBecomeTheirOutcomes) {
  control("FAULT ERROR RDSSTS 00A5");
  RequestRecord& e = run((fresh(), CMD_RDSSTS));
  EXPECT_EQ(e.status, 2);
  EXPECT_EQ(e.errorCode, 0x00A5);
  control("FAULT NONE");

  control("FAULT PREFIX 1");
  EXPECT_EQ(run((fresh(), CMD_RDSSTS)).status, 3);
  control("FAULT HEADER 1");
  EXPECT_EQ(run((fresh(), CMD_RDMSTS)).status, 3);
  // Cut after the error code: the fields read as NUL and do not parse.
  control("FAULT TRUNCATE 1 14");
  EXPECT_EQ(run((fresh(), CMD_RDSSTS)).status, 3);
  // One lost reply is retried and the second attempt succeeds.
  control("FAULT NOREPLY 1");
  EXPECT_EQ(run((fresh(), CMD_RDMSTS)).status, 0);

  control("REJECT 0100");
  fresh().rdparm.parameterNumber = 0x0100;
  EXPECT_EQ(run(CMD_RDPARM).status, 2);
  EXPECT_EQ(record_->errorCode, 1);
}

TEST_F(SimLine, MovesRunToBlockEndAndSplitMultiSpeedIsOneMove) {
  control("SET SERVO 1");
  control("SET SETTLE 0");
  RequestRecord& p = fresh();
  p.posing.head = {1, 0, 0, 4, 100000};
  p.posing.targetPosition = 2000;
  run(CMD_POSING);
  ASSERT_EQ(p.status, 0);
  uint16_t word = 0;
  for (int i = 0; i < 50 && !(word & 1); ++i) {
    RequestRecord& st = run((fresh(), CMD_RDMSTS));
    ASSERT_EQ(st.status, 0);
    word = st.rdmsts.motionStatusWord;
  }
  EXPECT_TRUE(word & 1);
  std::string motion;
  ASSERT_TRUE(simCommand(sim_.control, "GET MOTION", &motion));
  EXPECT_EQ(motion, "state=NEUTRAL pos=2000\n");

  control("LOG CLEAR");
  RequestRecord& ms = fresh();
  ms.posMs.head = {1, 0, 0, 4, 50000};
  ms.posMs.targetPosition = 500;
  ms.posMs.changeMoveType = 1;
  ms.posMs.changeCount = 13;
  for (int i = 0; i < 13; ++i) {
    ms.posMs.changePositions[i] = static_cast<uint32_t>(i * 10);
    ms.posMs.changeSpeeds[i] = 1000;
  }
  run(CMD_POS_MS);
  EXPECT_EQ(ms.status, 0);
  std::string log;
  ASSERT_TRUE(simCommand(sim_.control, "LOG", &log));
  EXPECT_NE(log.find("<STX>POS_MS01CB:0001T:ABS_"), std::string::npos);
  EXPECT_NE(log.find("<STX>POS_MS01CB:0000X:0000006E000003E8"), std::string::npos);
}

}  // namespace
