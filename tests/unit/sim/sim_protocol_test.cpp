// Simulator request parser and module model, driven without a pseudo-terminal.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "sim/sim_model.h"
#include "sim/sim_protocol.h"

namespace {

struct SimFixture : ::testing::Test {
  SimModel model;
  SimProtocol protocol;
  void SetUp() override {
    model.initial = {{0x0001, 10}, {0x0102, 0xFFFF}};
    resetModel(model);
    protocol.model = &model;
  }
  std::vector<std::string> ask(const std::string& body, int64_t nowMs = 0) {
    return handleRequest(protocol, body, nowMs);
  }
  // The error code of a single reply, -1 when there is not exactly one.
  int errorOf(const std::vector<std::string>& replies) {
    if (replies.size() != 1 || replies[0].size() < 14) return -1;
    uint32_t e = 0;
    if (!parseHexText(replies[0], 10, 4, &e)) return -1;
    return static_cast<int>(e);
  }
};

TEST_F(SimFixture, RepliesCarryHeaderAndFields) {
  auto r = ask("RDSSTS01C");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0], std::string("\x02RDSSTS10R0000S:0000R:ON_V:OFFM:ON_A:OFF\r"));
  ask("SVCTRL01CM:ON_");
  EXPECT_EQ(ask("RDSSTS01C")[0].substr(14), "S:0000R:ON_V:ON_M:ON_A:OFF\r");
  EXPECT_EQ(ask("GET_PT01CN:0002")[0], std::string("\x02GET_PT10R0000N:0002V:000007D0P:000001F4\r"));
  EXPECT_EQ(ask("RDDVID01CM:QZ_VER")[0], std::string("\x02RDDVID10R0000M:1.20;\r"));
}

TEST_F(SimFixture, MalformedRequestsGetNoReplyOrAnErrorReply) {
  EXPECT_TRUE(ask("").empty());
  EXPECT_TRUE(ask("RDSS").empty());
  EXPECT_TRUE(ask("RDSSTS02C").empty());       // another station
  EXPECT_TRUE(ask("NOSUCH01C").empty());
  EXPECT_EQ(errorOf(ask("RDSSTS01CX")), 0x0002);  // trailing bytes
  EXPECT_EQ(errorOf(ask("SVCTRL01CM:ON")), 0x0002);
  EXPECT_EQ(model.servo, 0);                   // a refused request changes nothing
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn00010000zz99")), 0x0002);
  EXPECT_EQ(findSimParameter(model, 0x0001)->value, 10u);
  EXPECT_EQ(errorOf(ask("WR_MEM01CT:QZA:00001000N:0003D:0102")), 0x0002);  // fewer bytes than N
  EXPECT_EQ(errorOf(ask("GET_PT01CN:0000")), 0x0004);
  EXPECT_EQ(errorOf(ask("GET_PT01CN:0033")), 0x0004);
  EXPECT_EQ(errorOf(ask("SET_PT01CN:0033V:00000001")), 0x0004);
  EXPECT_EQ(errorOf(ask("RD_MEM01CT:SVA:0000FFF0N:0011")), 0x0004);   // runs past 64 KiB
  EXPECT_EQ(errorOf(ask("WR_MEM01CT:SVA:FFFFFFFFN:0001D:00")), 0x0004);

  // Random bodies behind real command names never crash and never answer twice.
  const char* names[] = {"RD_MEM", "WR_MEM", "POS_MS", "POS_AS", "RD_ALM", "RDPARM", "GOTOST", "SET_PT"};
  std::mt19937 rng(7);
  for (int i = 0; i < 3000; ++i) {
    std::string body = std::string(names[i % 8]) + "01C";
    int n = static_cast<int>(rng() % 40);
    for (int k = 0; k < n; ++k) body += static_cast<char>("0123456789ABCDEF:TNDPXSVMA_QZ"[rng() % 29]);
    auto r = ask(body, i);
    EXPECT_LE(r.size(), 1u) << body;
  }
}

TEST_F(SimFixture, ParametersDefinedRejectedAndWritten) {
  EXPECT_EQ(ask("RDPARM01CM:NORMS:Pn0001")[0], std::string("\x02RDPARM10R0000S:Pn00010000000A\r"));
  EXPECT_EQ(errorOf(ask("RDPARM01CM:NORMS:Pn0777")), 0x0001);
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn077700000001")), 0x0001);
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn0102ABCD0001")), 0);
  EXPECT_EQ(ask("RDPARM01CM:NORMS:Pn0102")[0].substr(14), "S:Pn0102ABCD0001\r");

  model.rejected.push_back(0x0102);
  EXPECT_EQ(errorOf(ask("RDPARM01CM:NORMS:Pn0102")), 0x0001);
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn010200000000")), 0x0001);
  EXPECT_EQ(findSimParameter(model, 0x0102)->value, 0xABCD0001u);

  resetModel(model);   // back to the loaded values, rejections cleared
  EXPECT_EQ(findSimParameter(model, 0x0102)->value, 0xFFFFu);
  EXPECT_FALSE(parameterRejected(model, 0x0102));

  protocol.forcedErrors["RDPARM"] = 0x1234;
  EXPECT_EQ(errorOf(ask("RDPARM01CM:NORMS:Pn0001")), 0x1234);
}

TEST_F(SimFixture, MemoryAndAlarmChains) {
  EXPECT_EQ(errorOf(ask("WR_MEM01CT:SVA:00002000N:0002D:3412")), 0);
  EXPECT_EQ(model.memory[1][0x2000], 0x34);
  EXPECT_EQ(model.memory[1][0x2001], 0x12);
  EXPECT_EQ(model.memory[0][0x2000], 0x00);

  auto chain = ask("RD_MEM01CT:SVA:00002000N:012C");   // 300 bytes
  ASSERT_EQ(chain.size(), 3u);
  EXPECT_EQ(chain[0].substr(14, 9), "P:0002D:3");
  EXPECT_EQ(chain[1].substr(14, 7), "P:0001D");
  EXPECT_EQ(chain[2].substr(14, 2), "D:");
  size_t total = 0;
  for (auto& r : chain) {
    size_t start = r.find("D:") + 2;
    size_t bytes = (r.size() - 1 - start) / 2;
    EXPECT_LE(bytes, 117u);
    total += bytes;
  }
  EXPECT_EQ(total, 300u);
  EXPECT_EQ(ask("RD_MEM01CT:SVA:00002000N:0002")[0].substr(14), "D:3412\r");

  for (uint32_t i = 0; i < 20; ++i) model.alarms[1].push_back({0x100 + i, 0xA0000000u + i});
  chain = ask("RD_ALM01CM:SV");
  ASSERT_EQ(chain.size(), 2u);
  EXPECT_EQ(chain[0].substr(14, 11), "P:0001D:000");
  EXPECT_EQ(chain[1].substr(14), "P:0000D:" + [] {
    std::string s;
    for (uint32_t i = 14; i < 20; ++i) s += hexText(0x100 + i, 8) + hexText(0xA0000000u + i, 8);
    return s;
  }() + "\r");
  EXPECT_EQ(ask("RD_ALM01CM:QZ")[0].substr(14), "D:\r");
  ask("CLRALM01CM:HISTK:SV");
  EXPECT_TRUE(model.alarms[1].empty());
}

TEST_F(SimFixture, MotionTakesTimeAndReportsBlockEnd) {
  ask("SVCTRL01CM:ON_", 0);
  EXPECT_EQ(errorOf(ask("POSING01CT:ABS_A:PARMNONEV:SET_000003E8P:000001F4", 1000)), 0);  // 500 at 1000/s
  updateMotion(model, 1250);
  EXPECT_EQ(model.position, 250);
  EXPECT_EQ(motionStatusWord(model) & (kMotionBusy | kMotionBlockEnd), kMotionBusy);
  EXPECT_EQ(ask("RDMSTS01C", 1300)[0].substr(14), "M:POSING_S:0006\r");
  EXPECT_EQ(ask("RD_MON01C", 1300)[0].substr(14, 10), "CP0000012C");
  updateMotion(model, 1600);
  EXPECT_EQ(model.position, 500);
  EXPECT_EQ(ask("RDMSTS01C", 1600)[0].substr(14), "M:NEUTRALS:0005\r");

  // Relative move from there, then homing back to 0.
  ask("POSING01CT:INC_A:PARMNONEV:SET_000003E8P:FFFFFF9C", 2000);   // -100
  updateMotion(model, 3000);
  EXPECT_EQ(model.position, 400);
  ask("HOMING01CT:ABS_A:PARMNONEV:SET_00002710", 3000);
  EXPECT_EQ(model.motionState, MotionState::Homing);
  updateMotion(model, 4000);
  EXPECT_EQ(model.position, 0);
  EXPECT_TRUE(model.blockEnd);

  // A feed runs until stopped; servo off also stops a move.
  ask("FEED__01CA:PARMPARMV:SET_00001388D:CCW", 5000);
  updateMotion(model, 15000);
  EXPECT_EQ(model.position, -50000);
  EXPECT_TRUE(model.moving);
  ask("STOP__01CM:ZERO", 16000);   // zero-speed stop: at once
  EXPECT_FALSE(model.moving);
  EXPECT_EQ(model.position, -55000);
  updateMotion(model, 20000);
  EXPECT_EQ(model.position, -55000);
  ask("GOTOPT01CT:ABS_A:PARMNONEP:0001", 20000);
  EXPECT_TRUE(model.moving);
  ask("SVCTRL01CM:OFF", 20001);
  EXPECT_FALSE(model.moving);
}

TEST_F(SimFixture, SplitMultiStepAnswersOnlyTheSecondMessage) {
  std::string pairs;
  for (int i = 0; i < 12; ++i) pairs += hexText(100u * i, 8) + hexText(1000, 8);
  ask("SVCTRL01CM:ON_");
  EXPECT_TRUE(ask("POS_MS01CB:0001T:ABS_A:PARMNONEV:SET_000003E8P:00000BB8D:ABS_X:" + pairs.substr(0, 11 * 16), 0).empty());
  EXPECT_FALSE(model.moving);
  auto r = ask("POS_MS01CB:0000X:" + pairs.substr(11 * 16), 500);
  EXPECT_EQ(errorOf(r), 0);
  EXPECT_TRUE(model.moving);
  updateMotion(model, 4000);
  EXPECT_EQ(model.position, 3000);
  // A lone second message without its first is not a move.
  EXPECT_NE(errorOf(ask("POS_MS01CB:0000X:" + pairs.substr(0, 16), 5000)), 0);
}

TEST_F(SimFixture, OutputsFollowServoBrakeAndOverride) {
  uint16_t out[3];
  currentOutputs(model, out);
  EXPECT_EQ(out[0], 0x0004);   // ready only
  ask("SVCTRL01CM:ON_");
  ask("BKCTRL01CM:ON_");
  currentOutputs(model, out);
  EXPECT_EQ(out[0], 0x0007);
  ask("SETDIS01CD:000300000000");
  ask("WRPORT01CY:000100000000");
  EXPECT_EQ(ask("RDPORT01CM:OUT")[0].substr(14), "Y:000500010000\r");
  model.inputs[2] = 0xBEEF;
  EXPECT_EQ(ask("RDPORT01CM:INP")[0].substr(14), "X:00000000BEEF\r");
}

// What a strict module refuses, and with which code; a refused request changes nothing.
TEST_F(SimFixture, StrictRefusals) {
  SimParameter limited{0x0200, 5, 2, true, true, -100, 100};
  SimParameter bits{0x0201, 0, 2};
  model.parameters.push_back(limited);
  model.parameters.push_back(bits);
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn020000000065")), kSimErrLimit);   // 101
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn0200FFFFFF9B")), kSimErrLimit);   // -101
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn020100010000")), kSimErrLimit);   // wider than 16 bits
  EXPECT_EQ(findSimParameter(model, 0x0200)->value, 5u);
  // A 16-bit value lives in the low bytes: the upper ones must be those held.
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn0200FFFFFF9C")), kSimErrLimit);   // -100, sign-extended
  EXPECT_EQ(findSimParameter(model, 0x0200)->value, 5u);
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn02000000FF9C")), 0);              // -100, 16 bits
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn02010000FFFF")), 0);
  findSimParameter(model, 0x0200)->value = 0x5A5A0005;
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn02000000FFF6")), kSimErrLimit);   // upper bytes not held
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn02005A5AFF9B")), kSimErrLimit);   // -101 below the minimum
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn02005A5AFFF6")), 0);              // -10
  EXPECT_EQ(ask("RDPARM01CM:NORMS:Pn0200")[0].substr(14), "S:Pn02005A5AFFF6\r");
  EXPECT_EQ(errorOf(ask("WRPARM01CM:NORMD:Pn00010000000a")), kSimErrArgument);  // lower case

  const std::string posing = "POSING01CT:ABS_A:PARMNONEV:SET_000003E8P:000001F4";
  EXPECT_EQ(errorOf(ask(posing)), kSimErrServoOff);
  ask("SVCTRL01CM:ON_");
  model.alarm = 1;
  EXPECT_EQ(errorOf(ask("FEED__01CA:PARMPARMV:PARMD:CW_")), kSimErrAlarm);
  model.alarm = 0;
  setEmergency(model, 0, true);
  EXPECT_EQ(errorOf(ask("HOMING01CT:ABS_A:PARMNONEV:PARM")), kSimErrEmergency);
  EXPECT_EQ(errorOf(ask("STOP__01CM:DEC_")), 0);   // a stop is always taken
  EXPECT_FALSE(model.moving);
  EXPECT_EQ(ask("RDMSTS01C")[0].substr(14, 9), "M:EM_STOP");
  setEmergency(model, 0, false);
  model.position = INT32_MAX - 10;   // a relative move past the range is refused, not wrapped
  EXPECT_EQ(errorOf(ask("POSING01CT:INC_A:PARMNONEV:PARMP:00000100")), kSimErrRange);
  EXPECT_EQ(errorOf(ask("STEP__01CT:ABS_A:PARMPARMV:PARMP:+SET_00000100")), kSimErrRange);
  model.position = 0;

  // Change pairs: whole pairs only, at least one after "X:", at most 15 over both parts.
  std::string pair = hexText(100, 8) + hexText(1000, 8), eleven;
  for (int i = 0; i < 11; ++i) eleven += pair;
  const std::string head = "POS_MS01CB:0000T:ABS_A:PARMNONEV:PARMP:00000BB8D:ABS_";
  EXPECT_EQ(errorOf(ask(head + "X:" + pair + "0000")), kSimErrArgument);
  EXPECT_EQ(errorOf(ask(head + "X:")), kSimErrArgument);
  EXPECT_EQ(errorOf(ask("POS_MS01CB:0000X:" + pair)), kSimErrSequence);
  const std::string first = "POS_MS01CB:0001T:ABS_A:PARMNONEV:PARMP:00000BB8D:ABS_X:" + eleven;
  EXPECT_TRUE(ask(first).empty());
  EXPECT_EQ(errorOf(ask("POS_MS01CB:0000X:" + pair + pair + pair + pair + pair)), kSimErrRange);
  EXPECT_EQ(errorOf(ask("POS_MS01CB:0000X:" + pair)), kSimErrSequence);   // the first part is used up
  EXPECT_TRUE(ask(first).empty());
  ask("RDMSTS01C");   // anything in between drops the first part
  EXPECT_EQ(errorOf(ask("POS_MS01CB:0000X:" + pair)), kSimErrSequence);
  EXPECT_FALSE(model.moving);
  EXPECT_TRUE(ask(first).empty());
  EXPECT_EQ(errorOf(ask("POS_MS01CB:0000X:" + pair + pair + pair + pair)), 0);
  EXPECT_TRUE(model.moving);
}

TEST_F(SimFixture, FramingRejectsBytesBeforeStxAndOverlongRequests) {
  std::string input = std::string("Z\x02RDSSTS01C\r\x02RDMSTS01C\r\x02RD");
  std::string body, raw;
  const char* why = "";
  EXPECT_EQ(takeFrame(protocol, input, &body, &raw, &why), Frame::Rejected);
  EXPECT_STREQ(why, "bytes before STX");
  EXPECT_EQ(takeFrame(protocol, input, &body, &raw, &why), Frame::Request);
  EXPECT_EQ(body, "RDMSTS01C");
  EXPECT_EQ(takeFrame(protocol, input, &body, &raw, &why), Frame::None);
  // 256 bytes from STX to CR pass; one more is dropped up to its CR, even when
  // it arrives in pieces.
  std::string fits = "\x02WR_MEM01CT:QZA:00001000N:006FD:" + std::string(223, '0') + "\r";
  ASSERT_EQ(fits.size(), 256u);
  input = fits;
  EXPECT_EQ(takeFrame(protocol, input, &body, &raw, &why), Frame::Request);
  input = fits.substr(0, 255) + "0";
  EXPECT_EQ(takeFrame(protocol, input, &body, &raw, &why), Frame::None);
  input += "0\r\x02RDMSTS01C\r";
  EXPECT_EQ(takeFrame(protocol, input, &body, &raw, &why), Frame::Rejected);
  EXPECT_STREQ(why, "longer than 256 bytes");
  EXPECT_EQ(takeFrame(protocol, input, &body, &raw, &why), Frame::Request);
  EXPECT_EQ(body, "RDMSTS01C");
}

TEST_F(SimFixture, StopStatesSettlingAndTeaching) {
  ask("SVCTRL01CM:ON_", 0);
  ask("FEED__01CA:PARMPARMV:SET_000003E8D:CW_", 0);   // 1000/s
  ask("STOP__01CM:DEC_", 1000);
  EXPECT_EQ(ask("RDMSTS01C", 1100)[0].substr(14), "M:STOP___S:0006\r");
  EXPECT_EQ(model.position, 1075);   // 1000 + 1000/s over 100 ms of a 200 ms ramp
  EXPECT_EQ(ask("RDMSTS01C", 1200)[0].substr(14), "M:NEUTRALS:0005\r");
  EXPECT_EQ(model.position, 1100);
  ask("SET_PT01CN:0003V:00000010", 1300);   // no position: teaching
  EXPECT_EQ(model.pointPosition[2], 1100u);

  // Block end with the target; the keyword names the move until it has settled.
  ask("POSING01CT:ABS_A:PARMNONEV:SET_000003E8P:000004B0", 2000);   // +100 at 1000/s
  EXPECT_EQ(ask("RDMSTS01C", 2150)[0].substr(14), "M:POSING_S:0005\r");
  EXPECT_EQ(ask("RDMSTS01C", 2200)[0].substr(14), "M:NEUTRALS:0005\r");
}

TEST_F(SimFixture, ReplyFieldAndChainFaults) {
  protocol.faults.wrongEcho = 2;
  EXPECT_EQ(ask("RDPARM01CM:NORMS:Pn0001")[0].substr(14, 8), "S:Pn0002");
  EXPECT_EQ(ask("GET_PT01CN:0002")[0].substr(14, 6), "N:0003");
  EXPECT_EQ(ask("GET_PT01CN:0002")[0].substr(14, 6), "N:0002");
  // A request that does not read whole leaves the count; a forced error code keeps the faulted fields.
  protocol.faults.wrongEcho = 1;
  EXPECT_EQ(errorOf(ask("GET_PT01CN:00")), kSimErrArgument);
  EXPECT_EQ(protocol.faults.wrongEcho, 1);
  protocol.forcedErrors["GET_PT"] = 0x0042;
  EXPECT_EQ(ask("GET_PT01CN:0002")[0], std::string("\x02GET_PT10R0042N:0003V:000007D0P:000001F4\r"));
  EXPECT_EQ(protocol.faults.wrongEcho, 0);
  protocol.forcedErrors.clear();
  protocol.faults.unknownKeyword = 2;
  EXPECT_EQ(ask("RDMSTS01C")[0].substr(14, 9), "M:MOVING_");
  EXPECT_EQ(ask("RDSSTS01C")[0].substr(14), "S:0000R:ON_V:XX_M:ON_A:OFF\r");
  protocol.faults.noSemicolon = 1;
  std::string id = ask("RDDVID01CM:QZ_VER")[0];
  EXPECT_EQ(id.find(';'), std::string::npos);
  EXPECT_EQ(id.size(), 16u + 40u + 1u);
  protocol.faults.memoryCount = 1;
  protocol.faults.memoryDelta = -1;
  EXPECT_EQ(ask("RD_MEM01CT:QZA:00001000N:0004")[0].substr(14), "D:010407\r");
  EXPECT_EQ(ask("RD_MEM01CT:QZA:00001000N:0004")[0].substr(14), "D:0104070A\r");

  const std::string read300 = "RD_MEM01CT:QZA:00001000N:012C";
  protocol.faults.chainLost = 2;
  auto chain = ask(read300);
  ASSERT_EQ(chain.size(), 2u);
  EXPECT_EQ(chain[1].substr(14, 6), "D:0000");
  protocol.faults.chainError = 2;
  protocol.faults.chainErrorCode = 0x33;
  chain = ask(read300);
  ASSERT_EQ(chain.size(), 2u);
  EXPECT_EQ(chain[1], std::string("\x02RD_MEM10R0033D:\r"));
  EXPECT_EQ(ask(read300).size(), 3u);   // one chain only
}

TEST(SimText, PrintableAndHex) {
  EXPECT_EQ(printable(std::string("\x02" "AB\x7F\r", 5)), "<STX>AB\\x7F<CR>");
  EXPECT_EQ(hexText(0x1ABCD, 4), "ABCD");
  uint32_t v = 0;
  EXPECT_TRUE(parseHexText("xxfF0a", 2, 4, &v));
  EXPECT_EQ(v, 0xFF0Au);
  EXPECT_FALSE(parseHexText("12G4", 0, 4, &v));
  EXPECT_FALSE(parseHexText("123", 0, 4, &v));
}

}  // namespace
#endif
