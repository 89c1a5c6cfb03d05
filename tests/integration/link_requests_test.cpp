// Every request function end to end against qzsim over a pseudo-terminal: results
// compared with what the simulator was set to through its control port.
#include <gtest/gtest.h>
#include <functional>
#include <cstring>
#include <string>
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "link/status_poll.h"
#include "resources/resource.h"
#include "tests/support/sim_fixture.h"
#include "tests/support/wait.h"

using LinkSim = SimLinkTest;

TEST_F(LinkSim, StatusIdentificationAndPortsReadWhatTheModuleHolds) {
  ASSERT_TRUE(control("SET READY 1"));
  ASSERT_TRUE(control("SET SERVO 0"));
  ASSERT_TRUE(control("SET MAIN 1"));
  ASSERT_TRUE(control("SET ALARM 1"));
  uint16_t value = 0;
  uint8_t ready = 9, servo = 9, mainOn = 9, alarm = 9;
  ASSERT_EQ(request_RDSSTS(nullptr, &value, &ready, &servo, &mainOn, &alarm), 0);
  EXPECT_EQ(ready, 1);
  EXPECT_EQ(servo, 0);
  EXPECT_EQ(mainOn, 1);
  EXPECT_EQ(alarm, 1);

  ASSERT_TRUE(control("SET ID 2 SV-TEST-42"));
  char id[kIdTextLength + 1] = {};
  ASSERT_EQ(request_RDDVID(nullptr, 2, id), 0);
  EXPECT_EQ(std::string(id).rfind("SV-TEST-42", 0), 0u) << id;

  ASSERT_TRUE(control("SET INPUTS 0001 A5A5 8000"));
  uint16_t bits[3] = {};
  ASSERT_EQ(request_RDPORT(nullptr, 0, bits), 0);
  EXPECT_EQ(bits[0], 0x0001);
  EXPECT_EQ(bits[1], 0xA5A5);
  EXPECT_EQ(bits[2], 0x8000);

  const uint16_t out[3] = {0x0102, 0x0304, 0x0506};
  EXPECT_EQ(request_WRPORT(nullptr, out), 0);
  const uint16_t mask[3] = {0xFFFF, 0, 0x00F0};
  EXPECT_EQ(request_SETDIS(nullptr, mask), 0);
  uint16_t outBits[3] = {};
  ASSERT_EQ(request_RDPORT(nullptr, 1, outBits), 0);
  std::string sent = log();
  EXPECT_NE(sent.find("WRPORT"), std::string::npos) << sent;
  EXPECT_NE(sent.find("SETDIS"), std::string::npos) << sent;

  uint32_t mon[7] = {};
  EXPECT_EQ(request_RD_MON(nullptr, &mon[0], &mon[1], &mon[2], &mon[3], &mon[4], &mon[5], &mon[6]), 0);
  uint8_t state = 0xEE;
  uint16_t word = 0;
  ASSERT_EQ(request_RDMSTS(nullptr, &state, &word), 0);
  std::string motion;
  ASSERT_TRUE(control("GET MOTION", &motion));
  EXPECT_NE(motion.find("state=NEUTRAL"), std::string::npos) << motion;
  EXPECT_EQ(state, 0);
  EXPECT_EQ(prompt.messageCount(), 0u);
}

TEST_F(LinkSim, ParametersAndPointsRoundTripThroughTheModel) {
  ASSERT_TRUE(control("SET PARAM 0001 0000ABCD"));
  uint16_t echoed = 0;
  uint32_t value = 0;
  ASSERT_EQ(request_RDPARM(nullptr, 0, 1, &echoed, &value), 0);
  EXPECT_EQ(echoed, 1);
  EXPECT_EQ(value, 0xABCDu);

  // Pn0002 is a 16-bit bit-field parameter.
  ASSERT_EQ(request_WRPARM(nullptr, 0, 2, 0x1234), 0);
  std::string reply;
  ASSERT_TRUE(control("GET PARAM 0002", &reply));
  EXPECT_NE(reply.find("00001234"), std::string::npos) << reply;

  ASSERT_TRUE(control("SET POINT 5 000003E8 FFFFFC18"));
  uint32_t speed = 0, position = 0;
  ASSERT_EQ(request_GET_PT(nullptr, 5, &speed, &position), 0);
  EXPECT_EQ(speed, 1000u);
  EXPECT_EQ(position, 0xFFFFFC18u);

  ASSERT_EQ(request_SET_PT(nullptr, 6, 2000, 4, 0x00003039), 0);
  ASSERT_TRUE(control("GET POINT 6", &reply));
  EXPECT_NE(reply.find("000007D0"), std::string::npos) << reply;
  EXPECT_NE(reply.find("00003039"), std::string::npos) << reply;
  EXPECT_EQ(prompt.messageCount(), 0u);
}

TEST_F(LinkSim, RejectedParameterReadIsSilentButOtherErrorRepliesShowTheirCode) {
  ASSERT_TRUE(control("REJECT 0003"));
  uint32_t value = 0x55;
  EXPECT_EQ(request_RDPARM(nullptr, 0, 3, nullptr, &value), STATUS_ERROR_REPLY);
  EXPECT_EQ(value, 0x55u);
  EXPECT_EQ(prompt.messageCount(), 0u);

  EXPECT_EQ(request_WRPARM(nullptr, 0, 3, 1), STATUS_ERROR_REPLY);
  ASSERT_EQ(prompt.messageCount(), 1u);
  EXPECT_EQ(prompt.messages()[0].extra, "\nWRPARM 0001");

  ASSERT_TRUE(control("FAULT ERROR STOP__ 001A"));
  prompt.queueAnswer(ANSWER_YES);
  EXPECT_EQ(request_STOP__(nullptr, 0), STATUS_ERROR_REPLY);
  auto shown = prompt.messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].textId, IDS_ERROR_REPLY);
  EXPECT_EQ(shown[1].extra, "\nSTOP__ 001A");
  EXPECT_EQ(shown[1].style, PROMPT_OK | PROMPT_ICON_ERROR);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);
  ASSERT_TRUE(control("FAULT NONE"));
  EXPECT_EQ(request_STOP__(nullptr, 0), 0);
}

TEST_F(LinkSim, AlarmAndMemoryReadsCopyWhatTheModuleSent) {
  ASSERT_TRUE(control("SET ALARMS QZ 00000010 00000123 00000020 00000456 00000030 00000789"));
  AlarmEntry entries[kMaxAlarmEntries] = {};
  uint16_t count = 0;
  ASSERT_EQ(request_RD_ALM(nullptr, 0, &count, entries), 0);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(entries[0].timeStamp, 0x10u);
  EXPECT_EQ(entries[0].alarmWord, 0x123u);
  EXPECT_EQ(entries[2].timeStamp, 0x30u);
  EXPECT_EQ(entries[2].alarmWord, 0x789u);
  EXPECT_EQ(entries[3].timeStamp, 0u);

  uint8_t pattern[kMaxWriteMemoryBytes];
  for (int i = 0; i < kMaxWriteMemoryBytes; ++i) pattern[i] = static_cast<uint8_t>(i * 7 + 3);
  ASSERT_EQ(request_WR_MEM(nullptr, 0, 0x1000, kMaxWriteMemoryBytes, pattern), 0);
  uint8_t back[kMaxWriteMemoryBytes + 1] = {};
  back[kMaxWriteMemoryBytes] = 0xEE;
  ASSERT_EQ(request_RD_MEM(nullptr, 0, 0x1000, kMaxWriteMemoryBytes, back), 0);
  EXPECT_EQ(std::memcmp(back, pattern, sizeof pattern), 0);
  EXPECT_EQ(back[kMaxWriteMemoryBytes], 0xEE);   // exactly length bytes copied

  // A read longer than one reply comes as a chain.
  static uint8_t big[600];
  ASSERT_EQ(request_RD_MEM(nullptr, 0, 0x1000 - 200, sizeof big, big), 0);
  EXPECT_EQ(std::memcmp(big + 200, pattern, sizeof pattern), 0);

  ASSERT_TRUE(control("LOG CLEAR"));
  uint8_t tooMany[kMaxWriteMemoryBytes + 1] = {};
  EXPECT_NE(request_WR_MEM(nullptr, 0, 0x2000, sizeof tooMany, tooMany), 0);
  EXPECT_EQ(log().find("WR_MEM"), std::string::npos);
  EXPECT_EQ(prompt.messageCount(), 0u);
}

TEST_F(LinkSim, MotionAndControlCommandsReachTheModule) {
  MotionHead head{1, 0, 0, 4, 0x1388};
  EXPECT_EQ(request_SVCTRL(nullptr, 1), 0);
  std::string status;
  ASSERT_TRUE(control("GET STATUS", &status));
  EXPECT_NE(status.find("servo=1"), std::string::npos) << status;
  EXPECT_EQ(request_BKCTRL(nullptr, 0), 0);
  EXPECT_EQ(request_CLRALM(nullptr, 1, 0), 0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_POSING, .head = head, .targetPosition = 1000}), 0);
  EXPECT_EQ(request_STOP__(nullptr, 0), 0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_FEED, .head = {0, 0, 0, 4, 5000}, .direction = 1}), 0);
  EXPECT_EQ(request_STOP__(nullptr, 1), 0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_GOTOPT, .head = {1, 0, 0, 0, 0}, .pointNumber = 12}), 0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_GOTOST, .head = head, .direction = 2, .stationNumber = 3}), 0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_HOMING, .head = head}), 0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_POS_AS, .head = head, .targetPosition = 2000,
                                    .signalBlock = true, .signalMoveType = 1,
                                    .signal1Polarity = 0, .signal2Polarity = 1,
                                    .signal1OnPosition = 10, .signal1OffPosition = 20,
                                    .signal2OnPosition = 30, .signal2OffPosition = 40}),
            0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_POS_EX, .head = head, .targetPosition = 3000,
                                    .signalSource = 1, .externalPositionSource = 4, .externalPosition = 88,
                                    .externalSpeedSource = 4, .externalSpeed = 77}),
            0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_POS_MS, .head = head, .targetPosition = 4000,
                                    .changeMoveType = 2, .changeCount = 3,
                                    .changePositions = {100, 200, 300}, .changeSpeeds = {10, 20, 30}}),
            0);
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_STEP, .head = head, .direction = 1, .stepAmountSource = 4,
                                    .stepAmount = 250}),
            0);
  EXPECT_EQ(request_RSTMDL(nullptr), 0);
  std::string sent = log();
  for (const char* name : {"SVCTRL", "BKCTRL", "CLRALM", "POSING", "STOP__", "FEED__", "GOTOPT",
                           "GOTOST", "HOMING", "POS_AS", "POS_EX", "POS_MS", "STEP__", "RSTMDL"})
    EXPECT_NE(sent.find(name), std::string::npos) << name;
  // Explicit values travel as eight hex digits.
  EXPECT_NE(sent.find("00001388"), std::string::npos) << sent;
  EXPECT_NE(sent.find("000003E8"), std::string::npos) << sent;
  EXPECT_EQ(prompt.messageCount(), 0u);
}

TEST_F(LinkSim, StatusPollFollowsTheModuleAndEndsAfterAFailedReadAnsweredNo) {
  ASSERT_TRUE(control("SET READY 1"));
  ASSERT_TRUE(control("SET ALARM 0"));
  startStatusPolling(nullptr);
  ASSERT_TRUE(statusPollingActive());
  ASSERT_TRUE(waitFor([] { return g_moduleStatus.ready.load() == 1; }, 3000));
  int changes = prompt.statusChanges();
  ASSERT_TRUE(control("SET ALARM 1"));
  ASSERT_TRUE(waitFor([] { return g_moduleStatus.alarm.load() == 1; }, 3000));
  EXPECT_TRUE(prompt.waitForStatusChanges(changes + 1, 1000));

  prompt.queueAnswer(ANSWER_NO);
  ASSERT_TRUE(control("FAULT HEADER 1"));
  ASSERT_TRUE(prompt.waitForMessages(1, 5000));
  ASSERT_TRUE(waitFor([] { return !statusPollingActive(); }, 3000));
  auto shown = prompt.messages();
  EXPECT_EQ(shown[0].extra, "\n(RDSSTS)");
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  EXPECT_EQ(g_moduleStatus.ready.load(), 1);   // the last status stays shown
  EXPECT_EQ(g_moduleStatus.alarm.load(), 1);
}

// A fault in one reply field is a malformed reply: the box names the command in
// brackets, offers reconnection and, answered No, leaves the line closed.
TEST_F(LinkSim, FaultyReplyFieldsAreMalformedAndOfferReconnection) {
  ASSERT_TRUE(control("SET ALARMS QZ 00000001 00000002"));
  uint32_t value = 0x55, speed = 0, position = 0;
  uint8_t state = 0, flag = 0;
  uint16_t word = 0;
  char id[kIdTextLength] = {};
  static uint8_t memory[300];
  const std::pair<const char*, std::function<uint16_t()>> cases[] = {
      {"ECHO 1", [&] { return request_RDPARM(nullptr, 0, 1, nullptr, &value); }},
      {"ECHO 1", [&] { return request_GET_PT(nullptr, 4, &speed, &position); }},
      {"KEYWORD 1", [&] { return request_RDMSTS(nullptr, &state, &word); }},
      {"KEYWORD 1", [&] { return request_RDSSTS(nullptr, &word, &flag, &flag, &flag, &flag); }},
      {"NOSEMI 1", [&] { return request_RDDVID(nullptr, 1, id); }},
      {"MEMCOUNT 1 1", [&] { return request_RD_MEM(nullptr, 0, 0x1000, 4, memory); }},
      {"MEMCOUNT 1 -1", [&] { return request_RD_MEM(nullptr, 0, 0x1000, 300, memory); }},
      {"CHAINLOST 2", [&] { return request_RD_MEM(nullptr, 0, 0x1000, 300, memory); }},
  };
  const char* names[] = {"RDPARM", "GET_PT", "RDMSTS", "RDSSTS", "RDDVID", "RD_MEM", "RD_MEM", "RD_MEM"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_TRUE(control(std::string("FAULT ") + cases[i].first));
    size_t before = prompt.messageCount();
    prompt.queueAnswer(ANSWER_NO);
    EXPECT_EQ(cases[i].second(), STATUS_MALFORMED);
    ASSERT_EQ(prompt.messageCount(), before + 1);
    ShownMessage box = prompt.messages().back();
    EXPECT_EQ(box.textId, IDS_BAD_REPLY_FORMAT);
    EXPECT_EQ(box.extra, std::string("\n(") + names[i] + ")");
    EXPECT_EQ(box.style, PROMPT_YESNO | PROMPT_ICON_ERROR);
    EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
    ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  }
  EXPECT_EQ(value, 0x55u);   // results of a failed request are not copied
  EXPECT_EQ(state, 0);
}

// An error reply inside a chain ends it: the code is shown with OK only and the
// line stays open.
TEST_F(LinkSim, ErrorReplyInsideAChainEndsIt) {
  std::string alarms = "SET ALARMS SV";
  for (int i = 0; i < 16; ++i) alarms += " 0000000" + std::to_string(i % 10) + " 00000001";
  ASSERT_TRUE(control(alarms));   // two replies
  AlarmEntry entries[kMaxAlarmEntries] = {};
  uint16_t count = 0;
  ASSERT_TRUE(control("FAULT CHAINERROR 2 0033"));
  EXPECT_EQ(request_RD_ALM(nullptr, 1, &count, entries), STATUS_ERROR_REPLY);
  ASSERT_EQ(prompt.messageCount(), 1u);
  EXPECT_EQ(prompt.messages()[0].textId, IDS_ERROR_REPLY);
  EXPECT_EQ(prompt.messages()[0].extra, "\nRD_ALM 0033");
  EXPECT_EQ(prompt.messages()[0].style, PROMPT_OK | PROMPT_ICON_ERROR);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);
  // The fault was for one chain only.
  EXPECT_EQ(request_RD_ALM(nullptr, 1, &count, entries), 0);
  EXPECT_EQ(count, 16);

}

// The module refuses motion it cannot make, and a refused value, with an error
// code; a stop is always taken and reports STOP___ while it decelerates.
TEST_F(LinkSim, RefusedMotionAndValuesAndTheStopStates) {
  MotionHead head{1, 0, 0, 4, 1000};
  const MotionRequest feed{.command = CMD_FEED, .head = {0, 0, 0, 4, 1000}, .direction = 0};
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_POSING, .head = head, .targetPosition = 5000}), STATUS_ERROR_REPLY);
  ASSERT_TRUE(control("SET SERVO 1"));
  ASSERT_TRUE(control("SET ALARM 1"));
  EXPECT_EQ(requestMotion(nullptr, feed), STATUS_ERROR_REPLY);
  ASSERT_TRUE(control("SET ALARM 0"));
  ASSERT_TRUE(control("SET EMSTOP 1"));
  EXPECT_EQ(requestMotion(nullptr, {.command = CMD_HOMING, .head = head}), STATUS_ERROR_REPLY);
  EXPECT_EQ(request_WRPARM(nullptr, 0, 0x0100, 20001), STATUS_ERROR_REPLY);   // 1.0 to 2000.0 Hz
  auto shown = prompt.messages();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].extra, "\nPOSING 0010");
  EXPECT_EQ(shown[1].extra, "\nFEED__ 0011");
  EXPECT_EQ(shown[2].extra, "\nHOMING 0012");
  EXPECT_EQ(shown[3].extra, "\nWRPARM 0003");
  uint8_t state = 0;
  uint16_t word = 0;
  EXPECT_EQ(request_STOP__(nullptr, 0), 0);
  ASSERT_EQ(request_RDMSTS(nullptr, &state, &word), 0);
  EXPECT_EQ(state, 10);   // EM_STOP
  ASSERT_TRUE(control("SET EMSTOP 0"));

  // Block end comes with the target while the keyword still names the move.
  ASSERT_TRUE(control("SET SETTLE 5000"));
  ASSERT_EQ(requestMotion(nullptr, {.command = CMD_POSING, .head = head, .targetPosition = 100}), 0);
  ASSERT_TRUE(waitFor([&] { return request_RDMSTS(nullptr, &state, &word) == 0 && (word & 1); }, 3000));
  EXPECT_EQ(state, 1);   // POSING_
  // Teaching: a point set without a position takes the command position.
  ASSERT_EQ(request_SET_PT(nullptr, 9, 700, 0, 0), 0);
  uint32_t speed = 0, position = 0;
  ASSERT_EQ(request_GET_PT(nullptr, 9, &speed, &position), 0);
  EXPECT_EQ(position, 100u);

  ASSERT_EQ(requestMotion(nullptr, feed), 0);
  ASSERT_EQ(request_STOP__(nullptr, 0), 0);
  ASSERT_EQ(request_RDMSTS(nullptr, &state, &word), 0);
  EXPECT_EQ(state, 9);   // STOP___
  EXPECT_EQ(word & 1, 0);
  ASSERT_TRUE(waitFor([&] { return request_RDMSTS(nullptr, &state, &word) == 0 && state == 0; }, 3000));
  EXPECT_EQ(word & 1, 1);
  EXPECT_EQ(prompt.messageCount(), 4u);
}
