// Request functions: what they put in the record reaches the line, and no more
// (the debug-only pass-point block, at most 15 change pairs, explicit values only
// with their announcing code).
#include <gtest/gtest.h>
#include <chrono>
#include <thread>
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "serial/serial_port.h"
#include "tests/support/fake_line.h"
#include "tests/support/sim_fixture.h"

#ifndef _WIN32

class RequestBytes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line.ok());
    ASSERT_EQ(startLinkOn(line.slavePath()), 0);
    line.answerGarbage(true);   // every request fails fast; only the bytes sent matter
  }
  void TearDown() override { linkShutdown(); }
  // Sends one request on a freshly opened port and returns the bytes it wrote.
  template <typename Call>
  std::string sent(Call call) {
    line.clearReceived();
    EXPECT_EQ(postConnectionRequest(1, 1, 0), 0);
    EXPECT_EQ(call(), STATUS_MALFORMED);   // the box answers No and closes the port
    return line.received();
  }
  FakeLine line;
  ScriptedPrompt prompt;
};

TEST_F(RequestBytes, PassPointBlockTravelsOnlyInDebugMode) {
  const MotionRequest passPoint{.command = CMD_POS_AS, .head = {1, 0, 0, 0, 0}, .targetPosition = 0x100,
                                .signalBlock = true, .signalMoveType = 1,
                                .signal1Polarity = 1, .signal2Polarity = 0,
                                .signal1OnPosition = 0x0BADF00D, .signal1OffPosition = 0x0CAFE001,
                                .signal2OnPosition = 0x0CAFE002, .signal2OffPosition = 0x0CAFE003};
  auto call = [&] { return requestMotion(nullptr, passPoint); };
  g_mode.debugMode = 0;
  std::string plain = sent(call);
  EXPECT_NE(plain.find("POS_AS"), std::string::npos) << plain;
  EXPECT_EQ(plain.find("0BADF00D"), std::string::npos) << plain;
  g_mode.debugMode = 1;
  std::string debug = sent(call);
  for (const char* value : {"0BADF00D", "0CAFE001", "0CAFE002", "0CAFE003"})
    EXPECT_NE(debug.find(value), std::string::npos) << value << " in " << debug;
}

TEST_F(RequestBytes, AtMostFifteenChangePairsAreCopied) {
  MotionRequest multi{.command = CMD_POS_MS, .head = {1, 0, 0, 0, 0}, .targetPosition = 0x100,
                      .changeMoveType = 1, .changeCount = kMaxChangePairs};
  for (uint32_t i = 0; i < kMaxChangePairs; ++i) {
    multi.changePositions[i] = 0x11110000 + i;
    multi.changeSpeeds[i] = 0x22220000 + i;
  }
  std::string fifteen = sent([&] { return requestMotion(nullptr, multi); });
  char hex[16];
  for (uint32_t i = 0; i < kMaxChangePairs; ++i) {
    std::snprintf(hex, sizeof hex, "%08X", multi.changePositions[i]);
    EXPECT_NE(fifteen.find(hex), std::string::npos) << hex;
    std::snprintf(hex, sizeof hex, "%08X", multi.changeSpeeds[i]);
    EXPECT_NE(fifteen.find(hex), std::string::npos) << hex;
  }
  // A count above 15 sends the same fifteen pairs and nothing more.
  multi.changeCount = 20;
  EXPECT_EQ(sent([&] { return requestMotion(nullptr, multi); }), fifteen);
}

TEST_F(RequestBytes, ExplicitValuesTravelOnlyWithTheirCode) {
  MotionRequest feed{.command = CMD_FEED, .head = {0, 0, 0, 0, 0x00ABCDEF}, .direction = 1};
  std::string preset = sent([&] { return requestMotion(nullptr, feed); });
  EXPECT_EQ(preset.find("00ABCDEF"), std::string::npos) << preset;
  feed.head.speedSource = kExplicitValueCode;
  std::string given = sent([&] { return requestMotion(nullptr, feed); });
  EXPECT_NE(given.find("00ABCDEF"), std::string::npos) << given;
  const MotionRequest stepMove{.command = CMD_STEP, .head = {1, 0, 0, 0, 0x00ABCDEF}, .direction = 0,
                               .stepAmountSource = 0, .stepAmount = 0x00FEDCBA};
  std::string step = sent([&] { return requestMotion(nullptr, stepMove); });
  EXPECT_EQ(step.find("00ABCDEF"), std::string::npos) << step;
  std::string point = sent([] { return request_SET_PT(nullptr, 7, 0x1000, 0, 0x00ABCDEF); });
  EXPECT_EQ(point.find("00ABCDEF"), std::string::npos) << point;
  EXPECT_NE(point.find("00001000"), std::string::npos) << point;
}

#endif
