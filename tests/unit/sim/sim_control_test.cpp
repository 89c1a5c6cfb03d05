// The simulator's control commands, driven without a socket.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <string>

#include "sim/sim_control.h"

namespace {

struct SimControl : ::testing::Test {
  Sim sim;
  void SetUp() override {
    sim.model.initial = {{0x0001, 10}};
    resetModel(sim.model);
    sim.protocol.model = &sim.model;
  }
  std::string run(const std::string& line, int64_t nowMs = 0) { return runControl(sim, line, nowMs); }
};

TEST_F(SimControl, AnswersEndWithOkOrTheReason) {
  EXPECT_EQ(run("ping"), "OK\n");
  EXPECT_EQ(run(""), "ERR empty command\n");
  EXPECT_EQ(run("PACE MAYBE"), "ERR unknown command\n");
  EXPECT_EQ(run("FAULT HEADER 0"), "ERR bad FAULT arguments\n");
  EXPECT_EQ(run("GET POINT 51"), "ERR point number 1-50\n");
  EXPECT_EQ(run("set servo 1"), "OK\n");
  EXPECT_EQ(run("GET STATUS"), "ready=1 servo=1 main=1 alarm=0\nOK\n");
  EXPECT_EQ(run("SET ID 2  SV 4.07 build 9"), "OK\n");
  EXPECT_EQ(sim.model.idTexts[2], "SV 4.07 build 9");
  EXPECT_EQ(run("SET PARAM 0001 0000ABCD"), "OK\n");
  EXPECT_EQ(run("GET PARAM 0001"), "0000ABCD\nOK\n");
}

TEST_F(SimControl, MotionFollowsTheClockGiven) {
  run("SET SERVO 1");
  const std::string posing = "POSING01CT:ABS_A:PARMNONEV:SET_000003E8P:000001F4";
  ASSERT_EQ(handleRequest(sim.protocol, posing, 1000).size(), 1u);
  EXPECT_EQ(run("GET MOTION", 1250), "state=POSING_ pos=250\nOK\n");
  EXPECT_EQ(run("SET EMSTOP 1", 1300), "OK\n");
  EXPECT_EQ(run("GET MOTION", 2000), "state=EM_STOP pos=300\nOK\n");
}

TEST_F(SimControl, FaultNoneAndResetClearTheSameFaults) {
  for (const char* clear : {"FAULT NONE", "RESET"}) {
    EXPECT_EQ(run("FAULT SILENT"), "OK\n");
    EXPECT_EQ(run("FAULT TRUNCATE 2 14"), "OK\n");
    EXPECT_EQ(run("FAULT ECHO 3"), "OK\n");
    EXPECT_EQ(run("FAULT CHAINERROR 2 0033"), "OK\n");
    EXPECT_EQ(run("FAULT ERROR rdparm 00A5"), "OK\n");
    EXPECT_EQ(sim.faults.truncateBytes, 14u);
    EXPECT_EQ(sim.protocol.forcedErrors.at("RDPARM"), 0x00A5);
    EXPECT_EQ(run(clear), "OK\n") << clear;
    EXPECT_FALSE(sim.faults.silent) << clear;
    EXPECT_EQ(sim.faults.truncate, 0) << clear;
    EXPECT_EQ(sim.protocol.faults.wrongEcho, 0) << clear;
    EXPECT_EQ(sim.protocol.faults.chainError, 0) << clear;
    EXPECT_TRUE(sim.protocol.forcedErrors.empty()) << clear;
  }
  // Only RESET puts the model back.
  run("SET PARAM 0001 00000002");
  run("FAULT NONE");
  EXPECT_EQ(run("GET PARAM 0001"), "00000002\nOK\n");
  run("RESET");
  EXPECT_EQ(run("GET PARAM 0001"), "0000000A\nOK\n");
}

}  // namespace
#endif
