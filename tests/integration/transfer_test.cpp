// The six transfers against the simulator: load, save and verify of parameters and
// points, a module that refuses some numbers, cancelling, and a line that dies.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "files/definitions.h"
#include "files/transfer.h"
#include "link/comm_thread.h"
#include "link/link.h"
#include "link/link_state.h"
#include "serial/serial_port.h"
#include "protocol/framing.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/sim_fixture.h"

namespace {

struct Recorder {
  uint32_t maximum = 0;
  std::vector<std::string> labels;
  std::vector<std::pair<uint32_t, uint32_t>> changes;
  std::vector<VerifyRow> rows;
  std::atomic<bool>* running = nullptr;
  size_t cancelAfter = 0;   // clear the running flag at this step (0: never)
  std::string failAt;       // control command sent at step `failStep`
  size_t failStep = 0;
  uint16_t control = 0;
};

TransferSink sinkFor(Recorder& r) {
  TransferSink s{};
  s.context = &r;
  s.start = [](void* c, uint32_t maximum) { static_cast<Recorder*>(c)->maximum = maximum; };
  s.step = [](void* c, uint16_t labelId, const char* placeholder) {
    Recorder& r = *static_cast<Recorder*>(c);
    r.labels.push_back(std::to_string(labelId) + ":" + placeholder);
    if (r.cancelAfter && r.labels.size() == r.cancelAfter) *r.running = false;
    if (r.failStep && r.labels.size() == r.failStep) simCommand(r.control, r.failAt);
  };
  s.changed = [](void* c, uint32_t list, uint32_t index) {
    static_cast<Recorder*>(c)->changes.push_back({list, index});
  };
  s.row = [](void* c, const VerifyRow& row) { static_cast<Recorder*>(c)->rows.push_back(row); };
  return s;
}

class Transfers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(startSim(sim_));
    ASSERT_EQ(startLinkOn(sim_.pty.c_str()), 0);
    ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
    clearDefinitions();
    ASSERT_EQ(loadDefinitions((std::string(QZ_SOURCE_DIR) + "/data/ParmDef.cfg").c_str()), 0);
    running_ = true;
    rec_.running = &running_;
    rec_.control = sim_.control;
  }
  void TearDown() override {
    linkShutdown();
    stopSim(sim_);
    setRetryPauseMs(500);
    setLinkReadTotalMs(10000);
  }
  bool control(const std::string& line, std::string* reply = nullptr) {
    return simCommand(sim_.control, line, reply);
  }
  int countValid(const ParameterTable& t) {
    int n = 0;
    for (int i = 0; i < t.count; ++i) n += t.entries[i].valueValid;
    return n;
  }

  SimProcess sim_;
  ScriptedPrompt prompt_;
  std::atomic<bool> running_{true};
  Recorder rec_;
};

TEST_F(Transfers, ParameterSaveVerifyAndLoad) {
  ParameterTable& live = g_parameterTable;
  const ParameterDefinition& first = live.entries[0];
  ASSERT_TRUE(control("REJECT " + std::string("0005")));
  EXPECT_EQ(saveParameters(nullptr, &live, running_, sinkFor(rec_)), TRANSFER_COMPLETED);
  EXPECT_EQ(rec_.maximum, live.count);
  EXPECT_EQ(rec_.labels.size(), live.count);
  char label[16];
  std::snprintf(label, sizeof label, "7:%04X", first.number);
  EXPECT_EQ(rec_.labels[0], label);
  EXPECT_EQ(findDefinition(0x0005)->valueValid, 0) << "a refused number has no value";
  EXPECT_EQ(countValid(live), live.count - 1);
  EXPECT_EQ(prompt_.messageCount(), 0u);

  // Identical module: no rows. Then one changed parameter gives one row.
  auto file = std::make_unique<ParameterValues>();
  takeParameterValues(live, file.get());
  Recorder same;
  EXPECT_EQ(verifyParameters(nullptr, &live, *file, running_, sinkFor(same)), TRANSFER_COMPLETED);
  EXPECT_TRUE(same.rows.empty());
  ASSERT_TRUE(control("SET PARAM 0100 00000123"));
  Recorder diff;
  EXPECT_EQ(verifyParameters(nullptr, &live, *file, running_, sinkFor(diff)), TRANSFER_COMPLETED);
  ASSERT_EQ(diff.rows.size(), 1u);
  EXPECT_NE(std::string(diff.rows[0].columns[0]).find("0100"), std::string::npos);

  // Load the file's values back: the module holds them again.
  Recorder load;
  EXPECT_EQ(loadParameters(nullptr, *file, running_, sinkFor(load)), TRANSFER_COMPLETED);
  std::string value;
  ASSERT_TRUE(control("GET PARAM 0100", &value));
  char expect[16];
  std::snprintf(expect, sizeof expect, "%08X\n",
                static_cast<uint32_t>(file->entries[findDefinition(0x0100) - live.entries].value) & 0xFFFF);
  EXPECT_EQ(value, expect);
}

TEST_F(Transfers, PointSaveVerifyLoadAndCancel) {
  ASSERT_TRUE(control("SET POINT 3 00000BB8 FFFFFF9C"));
  PointTable table{};
  EXPECT_EQ(savePointTable(nullptr, &table, running_, sinkFor(rec_)), TRANSFER_COMPLETED);
  EXPECT_EQ(rec_.labels.size(), 50u);
  EXPECT_EQ(table.points[2].speed, 3000u);
  EXPECT_EQ(table.points[2].position, -100);

  PointEntry file[50];
  std::memcpy(file, table.points, sizeof file);
  ASSERT_TRUE(control("SET POINT 10 00000001 00000002"));
  Recorder verify;
  EXPECT_EQ(verifyPointTable(nullptr, &table, file, 0x53C, running_, sinkFor(verify)), TRANSFER_COMPLETED);
  ASSERT_EQ(verify.rows.size(), 1u);

  Recorder load;
  EXPECT_EQ(loadPointTable(nullptr, table, running_, sinkFor(load)), TRANSFER_COMPLETED);
  std::string point;
  ASSERT_TRUE(control("GET POINT 10", &point));
  EXPECT_EQ(point, "00000001 00000002\n") << "the table read by the verify is what it loads";

  Recorder cancel;
  cancel.running = &running_;
  cancel.cancelAfter = 5;
  PointTable again{};
  std::memcpy(again.points, file, sizeof file);
  EXPECT_EQ(loadPointTable(nullptr, again, running_, sinkFor(cancel)), TRANSFER_CANCELLED);
  EXPECT_LE(cancel.labels.size(), 6u);
}

// A flag cleared while a request is on the line (a closed dialog, a definition
// switch): the reply that still arrives changes no table and notifies nobody.
TEST_F(Transfers, AReplyAfterCancelTouchesNothing) {
  ParameterTable& live = g_parameterTable;
  for (int i = 0; i < live.count; ++i) live.entries[i].value = 0x5A5A, live.entries[i].valueValid = 0;
  rec_.cancelAfter = 3;   // cleared at the third step, before its request is sent
  EXPECT_EQ(saveParameters(nullptr, &live, running_, sinkFor(rec_)), TRANSFER_CANCELLED);
  EXPECT_EQ(rec_.changes.size(), 2u);
  EXPECT_EQ(live.entries[2].value, 0x5A5A);
  EXPECT_EQ(live.entries[2].valueValid, 0);

  running_ = true;
  ASSERT_TRUE(control("SET POINT 1 00000000 00000000"));
  ASSERT_TRUE(control("SET POINT 2 00000007 00000008"));
  PointTable table{};
  PointEntry file[50] = {};
  Recorder verify;
  verify.running = &running_;
  verify.cancelAfter = 2;
  EXPECT_EQ(verifyPointTable(nullptr, &table, file, 0x53C, running_, sinkFor(verify)), TRANSFER_CANCELLED);
  EXPECT_EQ(table.points[1].speed, 0u);
  EXPECT_TRUE(verify.rows.empty());
  EXPECT_EQ(verify.changes.size(), 1u);
}

TEST_F(Transfers, ADeadLineStopsTheSaveAtItsEntry) {
  setRetryPauseMs(50);
  // Reopened with 1 s reads: the silent line is found in 3 s instead of 30.
  ASSERT_EQ(postConnectionRequest(0, 1, 0), 0);
  setLinkReadTotalMs(1000);
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  PointTable table{};
  rec_.failStep = 4;
  rec_.failAt = "FAULT SILENT";
  prompt_.queueAnswer(ANSWER_NO);
  EXPECT_EQ(savePointTable(nullptr, &table, running_, sinkFor(rec_)), TRANSFER_STOPPED);
  EXPECT_EQ(rec_.labels.size(), 4u);
  EXPECT_EQ(table.points[2].speed, 3000u) << "entries before the failure were read";
  ASSERT_EQ(prompt_.messageCount(), 1u);
  EXPECT_EQ(prompt_.messages()[0].textId, 258);
}

}  // namespace
