// The simulator's control commands, driven without a socket, and its fault storms:
// repeatable by seed, at about the rate asked for, ended by FAULT NONE.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// What the line carries back for `count` requests reading the parameter and the
// motion status, one burst a line, "-" for a request left unanswered.
std::vector<std::string> exchange(Sim& sim, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    std::string body = i % 2 ? "RDMSTS01C" : "RDPARM01CM:NORMS:Pn0001";
    std::string burst = "-";
    for (const Burst& b : answerMessage(sim, "\x02" + body + "\r", body, nullptr, i))
      burst = (burst == "-" ? "" : burst + "|") + b.bytes;
    out.push_back(burst);
  }
  return out;
}

int changed(const std::vector<std::string>& faulted, const std::vector<std::string>& clean) {
  int n = 0;
  for (size_t i = 0; i < clean.size(); ++i) n += faulted[i] != clean[i];
  return n;
}

TEST_F(SimControl, AStormIsTheSameForTheSameSeedAndNearItsRate) {
  const std::vector<std::string> clean = exchange(sim, 4000);
  ASSERT_EQ(runControl(sim, "FAULT STORM 5 42", 0), "OK\n");
  const std::vector<std::string> first = exchange(sim, 4000);
  ASSERT_EQ(runControl(sim, "FAULT STORM 5 42", 0), "OK\n");
  EXPECT_EQ(exchange(sim, 4000), first);
  // Every kind comes up, and what changed is what the storm counted.
  uint32_t counted = 0;
  for (uint32_t c : sim.storm.counts) {
    EXPECT_GT(c, 0u);
    counted += c;
  }
  EXPECT_EQ(sim.storm.replies, 4000u);
  EXPECT_EQ(changed(first, clean), static_cast<int>(counted));
  EXPECT_NEAR(counted, 200, 50);
  std::string status;
  status = runControl(sim, "GET STORM", 0);
  EXPECT_NE(status.find("percent=5 seed=42 replies=4000"), std::string::npos) << status;
  EXPECT_NE(status.find(" faults=" + std::to_string(counted) + "\n"), std::string::npos) << status;

  ASSERT_EQ(runControl(sim, "FAULT STORM 5 43", 0), "OK\n");
  EXPECT_NE(exchange(sim, 4000), first);
  ASSERT_EQ(runControl(sim, "FAULT STORM 0 42", 0), "OK\n");
  EXPECT_EQ(exchange(sim, 400), std::vector<std::string>(clean.begin(), clean.begin() + 400));
}

TEST_F(SimControl, FaultNoneEndsAStormAndKeepsItsCounts) {
  const std::vector<std::string> clean = exchange(sim, 200);
  ASSERT_EQ(runControl(sim, "FAULT STORM 100", 0), "OK\n");
  EXPECT_EQ(changed(exchange(sim, 200), clean), 200);
  ASSERT_EQ(runControl(sim, "FAULT NONE", 0), "OK\n");
  EXPECT_EQ(exchange(sim, 200), clean);
  EXPECT_NE(runControl(sim, "GET STORM", 0).find("percent=0 seed=1 replies=200"), std::string::npos);
  EXPECT_EQ(runControl(sim, "FAULT STORM 101", 0), "ERR storm percent 0-100, seed a decimal number\n");
  EXPECT_EQ(runControl(sim, "FAULT STORM 5 -1", 0), "ERR storm percent 0-100, seed a decimal number\n");
}

}  // namespace
#endif
