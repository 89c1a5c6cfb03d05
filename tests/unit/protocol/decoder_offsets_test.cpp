// Reply fields at their offsets, echo and terminator rules, chains with pauses
// between replies, the debug-only pass-point block and the split multi-speed
// request, each over a pseudo-terminal.
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

class Decode : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer.ok());
    setPortDevicePath(0, peer.slavePath());
    ASSERT_EQ(openPort(0, kLineSettings, kPortTimings), PORT_OK);
    g_mode.currentPort = 0;
    g_mode.debugMode = 0;
    setRetryPauseMs(20);
    r = std::make_unique<RequestRecord>();
    clearRecord(*r);
  }
  void TearDown() override {
    g_mode.debugMode = 0;
    setRetryPauseMs(kRetryPauseMs);
    closePort(0);
  }
  // Encodes the record as prepared, answering with `answers`; returns the requests.
  std::vector<std::string> run(uint8_t code, std::vector<PtyPeer::Answer> answers) {
    peer.clear();
    peer.script(std::move(answers));
    r->opCode = code;
    runCommandEncoder(r.get(), currentLineContext());
    std::vector<std::string> out;
    for (const auto& q : peer.requests()) out.push_back(q.bytes);
    return out;
  }
  void fresh() { clearRecord(*r); }
  PtyPeer peer;
  std::unique_ptr<RequestRecord> r;
};

PtyPeer::Answer one(const std::string& text) { return {{framed(text)}, 0}; }

}  // namespace

TEST_F(Decode, ParameterEchoAndErrorCode) {
  r->rdparm.parameterNumber = 0x0100;
  EXPECT_EQ(run(CMD_RDPARM, {one("RDPARM10R0000S:Pn0100000003E8")}),
            std::vector<std::string>{framed("RDPARM01CM:NORMS:Pn0100")});
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(r->rdparm.echoedNumber, 0x0100);
  EXPECT_EQ(r->rdparm.parameterValue, 1000u);
  // Offsets 14 to 17 are not examined; the echo is.
  fresh();
  r->rdparm.parameterNumber = 0x0100;
  run(CMD_RDPARM, {one("RDPARM10R0000????0100FFFFFFFF")});
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(r->rdparm.parameterValue, 0xFFFFFFFFu);
  fresh();
  r->rdparm.parameterNumber = 0x0100;
  run(CMD_RDPARM, {one("RDPARM10R0000S:Pn0101000003E8")});
  EXPECT_EQ(r->status, STATUS_MALFORMED);
  // An error code wins over a malformed field.
  fresh();
  r->rdparm.parameterNumber = 0x0100;
  run(CMD_RDPARM, {one("RDPARM10R0001S:Pn0101")});
  EXPECT_EQ(r->status, STATUS_ERROR_REPLY);
  EXPECT_EQ(r->errorCode, 1);

  fresh();
  r->wrparm = {0, 0x0100, 1000};
  EXPECT_EQ(run(CMD_WRPARM, {one("WRPARM10R0000")})[0], framed("WRPARM01CM:NORMD:Pn0100000003E8"));
  fresh();
  r->getPt.pointNumber = 5;
  EXPECT_EQ(run(CMD_GET_PT, {one("GET_PT10R0000N:0005V:00001388P:FFFFFC18")})[0],
            framed("GET_PT01CN:0005"));
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(r->getPt.speed, 0x1388u);
  EXPECT_EQ(r->getPt.targetPosition, 0xFFFFFC18u);
}

TEST_F(Decode, StatusAndPortFieldOffsets) {
  run(CMD_RDSSTS, {one("RDSSTS10R0000S:1234R:ON_V:OFFM:ON_A:OFF")});
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(r->rdssts.statusValue, 0x1234);
  EXPECT_EQ(r->rdssts.ready, 1);
  EXPECT_EQ(r->rdssts.servoOn, 0);
  EXPECT_EQ(r->rdssts.mainCircuitOn, 1);
  EXPECT_EQ(r->rdssts.alarm, 0);
  fresh();
  run(CMD_RDSSTS, {one("RDSSTS10R0000S:0000R:XX_V:ON_M:ON_A:ON_")});
  EXPECT_EQ(r->status, STATUS_MALFORMED);
  EXPECT_EQ(r->rdssts.ready, 0xFF);
  EXPECT_EQ(r->rdssts.alarm, 1);   // the later fields are still read

  fresh();
  run(CMD_RDMSTS, {one("RDMSTS10R0000M:WHATEVER")});
  EXPECT_EQ(r->status, STATUS_MALFORMED);
  EXPECT_EQ(r->rdmsts.motionState, 0xFF);

  fresh();
  r->rdport.portSelect = 0;
  EXPECT_EQ(run(CMD_RDPORT, {one("RDPORT10R0000X?000100028000")})[0], framed("RDPORT01CM:INP"));
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(r->rdport.portBits[0], 1);
  EXPECT_EQ(r->rdport.portBits[1], 2);
  EXPECT_EQ(r->rdport.portBits[2], 0x8000);
  // Reading stops at the first value that does not parse.
  fresh();
  r->rdport.portSelect = 1;
  run(CMD_RDPORT, {one("RDPORT10R0000Y:0001ZZZZ0003")});
  EXPECT_EQ(r->status, STATUS_MALFORMED);
  EXPECT_EQ(r->rdport.portBits[0], 1);
  EXPECT_EQ(r->rdport.portBits[2], 0);

  // A bad monitor value marks the reply; the others are still read.
  fresh();
  run(CMD_RD_MON, {one("RD_MON10R0000C:00000001F:0000000GD:00000003L:00000004T:00000005"
                       "1:0000000600000007")});
  EXPECT_EQ(r->status, STATUS_MALFORMED);
  EXPECT_EQ(r->rdMon.commandPosition, 1u);
  EXPECT_EQ(r->rdMon.positionDeviation, 3u);
  EXPECT_EQ(r->rdMon.outputTorque, 5u);
  EXPECT_EQ(r->rdMon.monitor2, 7u);
}

TEST_F(Decode, IdentificationTextEndsAtSemicolon) {
  r->rddvid.idItem = 1;
  EXPECT_EQ(run(CMD_RDDVID, {one("RDDVID10R0000M:ABC;XYZ")})[0], framed("RDDVID01CM:QZ_VER"));
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(std::string(r->rddvid.idText, 32), std::string("ABC") + std::string(29, '\0'));
  fresh();
  run(CMD_RDDVID, {one("RDDVID10R0000M:;")});
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(r->rddvid.idText[0], '\0');
  // A ";" beyond offset 48 is too late.
  fresh();
  run(CMD_RDDVID, {one("RDDVID10R0000M:" + std::string(40, 'B') + ";")});
  EXPECT_EQ(r->status, STATUS_MALFORMED);
}

TEST_F(Decode, ChainsWithPausesBetweenReplies) {
  // Marked replies add to the list; pauses longer than the read interval.
  r->rdAlm.device = 1;
  auto sent = run(CMD_RD_ALM, {{{framed("RD_ALM10R0000P:0002D:0000000A000000A1"),
                                 framed("RD_ALM10R0000P:0001D:0000000B000000B2"),
                                 framed("RD_ALM10R0000P:0000D:0000000C000000C3")},
                                150}});
  EXPECT_EQ(sent, std::vector<std::string>{framed("RD_ALM01CM:SV")});
  EXPECT_EQ(r->status, STATUS_OK);
  ASSERT_EQ(r->rdAlm.alarmCount, 3);
  EXPECT_EQ(r->rdAlm.alarms[0].timeStamp, 0xAu);
  EXPECT_EQ(r->rdAlm.alarms[2].alarmWord, 0xC3u);
  // An error code in a later reply ends the chain as an error reply.
  fresh();
  run(CMD_RD_ALM, {{{framed("RD_ALM10R0000P:0001D:0000000A000000A1"), framed("RD_ALM10R0042D:")}, 150}});
  EXPECT_EQ(r->status, STATUS_ERROR_REPLY);
  EXPECT_EQ(r->errorCode, 0x42);
  // Exactly sixteen entries are accepted.
  fresh();
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += "0000000100000002";
  run(CMD_RD_ALM, {{{framed("RD_ALM10R0000P:0001D:" + eight), framed("RD_ALM10R0000P:0000D:" + eight)}, 150}});
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(r->rdAlm.alarmCount, 16);

  // Memory: the byte count runs on through three replies.
  fresh();
  r->rdMem = {};
  r->rdMem.address = 0x1000;
  r->rdMem.byteCount = 5;
  uint8_t memory[5] = {};
  r->rdMem.memoryData = memory;
  sent = run(CMD_RD_MEM, {{{framed("RD_MEM10R0000P:0002D:0102"), framed("RD_MEM10R0000P:0001D:03"),
                            framed("RD_MEM10R0000D:04ff")},
                           150}});
  EXPECT_EQ(sent, std::vector<std::string>{framed("RD_MEM01CT:QZA:00001000N:0005")});
  EXPECT_EQ(r->status, STATUS_OK);
  EXPECT_EQ(std::vector<uint8_t>(r->rdMem.memoryData, r->rdMem.memoryData + 5),
            (std::vector<uint8_t>{1, 2, 3, 4, 0xFF}));
  // Too many bytes, and a data item that does not decode, are malformed, not retried.
  fresh();
  r->rdMem.byteCount = 2;
  sent = run(CMD_RD_MEM, {one("RD_MEM10R0000D:010203")});
  EXPECT_EQ(r->status, STATUS_MALFORMED);
  EXPECT_EQ(sent.size(), 1u);
  fresh();
  r->rdMem.byteCount = 2;
  sent = run(CMD_RD_MEM, {one("RD_MEM10R0000D:01X2")});
  EXPECT_EQ(r->status, STATUS_MALFORMED);
  EXPECT_EQ(sent.size(), 1u);
}

TEST_F(Decode, PassPointBlockOnlyInDebugMode) {
  auto fill = [&] {
    fresh();
    r->posAs.head = {2, 1, 3, 1, 0};
    r->posAs.targetPosition = 100;
    r->posAs.signalMoveType = 2;
    r->posAs.signal1Polarity = 0;
    r->posAs.signal2Polarity = 1;
    r->posAs.signal1OnPosition = 0xA;
    r->posAs.signal1OffPosition = 0xB;
    r->posAs.signal2OnPosition = 0xC;
    r->posAs.signal2OffPosition = 0xD;
  };
  fill();
  EXPECT_EQ(run(CMD_POS_AS, {one("POS_AS10R0000")})[0],
            framed("POS_AS01CT:INC_A:NONEBIASV:CURTP:00000064"));
  fill();
  g_mode.debugMode = 1;
  EXPECT_EQ(run(CMD_POS_AS, {one("POS_AS10R0000")})[0],
            framed("POS_AS01CT:INC_A:NONEBIASV:CURTP:00000064D:INC_S:"
                   "NORM0000000A0000000BREVS0000000C0000000D"));
  EXPECT_EQ(r->status, STATUS_OK);
}

TEST_F(Decode, MultiSpeedMessages) {
  r->posMs.head = {1, 0, 0, 0, 0};
  r->posMs.changeMoveType = 1;
  EXPECT_EQ(run(CMD_POS_MS, {one("POS_MS10R0000")})[0],
            framed("POS_MS01CB:0000T:ABS_A:PARMPARMV:PARMP:00000000D:ABS_"));

  fresh();
  r->posMs.head = {1, 0, 0, 4, 0x1388};
  r->posMs.targetPosition = 0x10000;
  r->posMs.changeMoveType = 1;
  r->posMs.changeCount = 13;
  std::string pairs;
  for (int i = 0; i < 13; ++i) {
    r->posMs.changePositions[i] = 0x100u * (i + 1);
    r->posMs.changeSpeeds[i] = 10u * (i + 1);
  }
  auto hex8of = [](uint32_t v) {
    char t[9];
    std::snprintf(t, sizeof t, "%08X", v);
    return std::string(t);
  };
  for (int i = 0; i < 11; ++i) pairs += hex8of(r->posMs.changePositions[i]) + hex8of(r->posMs.changeSpeeds[i]);
  // The module answers the first message anyway: since no reply is read in
  // between, that stale error reply is what the second message's read begins with.
  auto start = std::chrono::steady_clock::now();
  peer.clear();
  peer.script({one("POS_MS10R0007"), one("POS_MS10R0000")});
  r->opCode = CMD_POS_MS;
  runCommandEncoder(r.get(), currentLineContext());
  auto requests = peer.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].bytes,
            framed("POS_MS01CB:0001T:ABS_A:PARMPARMV:SET_00001388P:00010000D:ABS_X:" + pairs));
  EXPECT_EQ(requests[0].bytes.size(), 241u);
  EXPECT_EQ(requests[1].bytes, framed("POS_MS01CB:0000X:00000C0000000078" "00000D0000000082"));
  const double gap = std::chrono::duration<double, std::milli>(requests[1].at - requests[0].at).count();
  EXPECT_GE(gap, 450);
  EXPECT_LT(gap, 5000);
  EXPECT_EQ(r->status, STATUS_ERROR_REPLY);
  EXPECT_EQ(r->errorCode, 7);
  (void)start;

  // The largest memory write that fits one message goes out whole.
  fresh();
  std::vector<uint8_t> data(111, 0xA7);
  r->wrMem = {0, 0x20, 111, data.data()};
  auto sent = run(CMD_WR_MEM, {one("WR_MEM10R0000")});
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].size(), 255u);
  EXPECT_EQ(sent[0].substr(0, 32), "\x02WR_MEM01CT:QZA:00000020N:006FD:");
  EXPECT_EQ(r->status, STATUS_OK);
}

#endif
