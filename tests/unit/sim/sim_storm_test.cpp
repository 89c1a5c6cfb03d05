// Fault storms: repeatable by seed, at about the rate asked for, ended by FAULT NONE.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/sim_control.h"

namespace {

struct SimStorm : ::testing::Test {
  Sim sim;
  void SetUp() override {
    sim.model.initial = {{0x0001, 10}};
    resetModel(sim.model);
    sim.protocol.model = &sim.model;
  }
  // What the line carries back for `count` requests reading the parameter and the
  // motion status, one burst a line, "-" for a request left unanswered.
  std::vector<std::string> exchange(int count) {
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
};

TEST_F(SimStorm, SameSeedSameFaultsAtAboutTheRate) {
  const std::vector<std::string> clean = exchange(4000);
  ASSERT_EQ(runControl(sim, "FAULT STORM 5 42", 0), "OK\n");
  const std::vector<std::string> first = exchange(4000);
  ASSERT_EQ(runControl(sim, "FAULT STORM 5 42", 0), "OK\n");
  EXPECT_EQ(exchange(4000), first);
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
  EXPECT_NE(exchange(4000), first);
  ASSERT_EQ(runControl(sim, "FAULT STORM 0 42", 0), "OK\n");
  EXPECT_EQ(exchange(400), std::vector<std::string>(clean.begin(), clean.begin() + 400));
}

TEST_F(SimStorm, FaultNoneEndsItAndKeepsTheCounts) {
  const std::vector<std::string> clean = exchange(200);
  ASSERT_EQ(runControl(sim, "FAULT STORM 100", 0), "OK\n");
  EXPECT_EQ(changed(exchange(200), clean), 200);
  ASSERT_EQ(runControl(sim, "FAULT NONE", 0), "OK\n");
  EXPECT_EQ(exchange(200), clean);
  EXPECT_NE(runControl(sim, "GET STORM", 0).find("percent=0 seed=1 replies=200"), std::string::npos);
  EXPECT_EQ(runControl(sim, "FAULT STORM 101", 0), "ERR storm percent 0-100, seed a decimal number\n");
  EXPECT_EQ(runControl(sim, "FAULT STORM 5 -1", 0), "ERR storm percent 0-100, seed a decimal number\n");
}

}  // namespace
#endif
