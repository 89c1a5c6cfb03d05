// Simulator request parser and module model, driven without a pseudo-terminal.
#ifndef _WIN32
#include <gtest/gtest.h>

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
  EXPECT_EQ(model.motionState, 8);
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
