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
  const MotionHead head{1, 0, 0, 0, 0};
  auto call = [&] {
    return request_POS_AS(nullptr, head, 0x100, 1, 1, 0x0BADF00D, 0x0CAFE001, 0, 0x0CAFE002, 0x0CAFE003);
  };
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
  uint32_t positions[20], speeds[20];
  for (uint32_t i = 0; i < 20; ++i) {
    positions[i] = 0x11110000 + i;
    speeds[i] = 0x22220000 + i;
  }
  const MotionHead head{1, 0, 0, 0, 0};
  std::string bytes = sent([&] { return request_POS_MS(nullptr, head, 0x100, 1, 20, positions, speeds); });
  char hex[16];
  for (uint32_t i = 0; i < 20; ++i) {
    std::snprintf(hex, sizeof hex, "%08X", positions[i]);
    EXPECT_EQ(bytes.find(hex) != std::string::npos, i < 15) << hex;
    std::snprintf(hex, sizeof hex, "%08X", speeds[i]);
    EXPECT_EQ(bytes.find(hex) != std::string::npos, i < 15) << hex;
  }
}

TEST_F(RequestBytes, ExplicitValuesTravelOnlyWithTheirCode) {
  std::string preset = sent([] { return request_FEED__(nullptr, 0, 0, 0, 0x00ABCDEF, 1); });
  EXPECT_EQ(preset.find("00ABCDEF"), std::string::npos) << preset;
  std::string given = sent([] { return request_FEED__(nullptr, 0, 0, 4, 0x00ABCDEF, 1); });
  EXPECT_NE(given.find("00ABCDEF"), std::string::npos) << given;
  const MotionHead head{1, 0, 0, 0, 0x00ABCDEF};
  std::string step = sent([&] { return request_STEP__(nullptr, head, 0, 0, 0x00FEDCBA); });
  EXPECT_EQ(step.find("00ABCDEF"), std::string::npos) << step;
  std::string point = sent([] { return request_SET_PT(nullptr, 7, 0x1000, 0, 0x00ABCDEF); });
  EXPECT_EQ(point.find("00ABCDEF"), std::string::npos) << point;
  EXPECT_NE(point.find("00001000"), std::string::npos) << point;
}

#endif
