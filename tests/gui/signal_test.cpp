// Servo, brake and output-port write against qzsim: each button sends its frame,
// an override box sends the mask (and is undone when the module refuses it), the
// write sends the toggles, closing releases every override (and a refused release
// keeps the dialog open), and a dialog reopened after its worker closed it drives
// nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <cstdio>
#include <string>

#include "app_driver.h"
#include "link/comm_thread.h"
#include "serial/serial_port.h"
#include "monitor/signal_output.h"
#include "resources/resource.h"

namespace {
bool waitLog(const std::string& text, int timeoutMs = 5000) {
  return waitFor([&] { return simRequestLog().find(text) != std::string::npos; }, timeoutMs);
}
bool waitChecked(HWND port, int id, bool checked) {
  return waitFor([&] { return isChecked(port, id) == checked; }, 5000);
}
bool waitToggle(HWND port, int id, const wchar_t* text) {
  return waitFor([&] { return controlText(port, id) == text; }, 5000);
}

// The three actual output words as qzsim reports them.
unsigned outputWord(int word) {
  std::string reply;
  simReply("GET OUTPUTS", &reply);
  return static_cast<unsigned>(std::stoul(reply.substr(word * 5, 4), nullptr, 16));
}
}  // namespace

TEST(Signal, ServoAndBrakeSendTheirFrames) {
  sim("RESET");
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));
  struct Case {
    int command, templateId;
    const char *on, *off, *shot;
  } cases[] = {{IDM_SERVO_ONOFF, IDD_SERVO_ONOFF, "SVCTRL01CM:ON_", "SVCTRL01CM:OFF", "signal_servo"},
               {IDM_BRAKE_ONOFF, IDD_BRAKE_ONOFF, "BKCTRL01CM:ON_", "BKCTRL01CM:OFF", "signal_brake"}};
  for (const Case& c : cases) {
    postCommand(c.command);
    HWND dialog = waitModeless(static_cast<uint16_t>(c.templateId));
    ASSERT_NE(dialog, nullptr);
    sim("LOG CLEAR");
    clickButton(dialog, IDC_ONOFF_ON);
    EXPECT_TRUE(waitLog(c.on)) << c.on;
    clickButton(dialog, IDC_ONOFF_OFF);
    EXPECT_TRUE(waitLog(c.off)) << c.off;
    saveScreenshot(dialog, c.shot);
    clickButton(dialog, IDCANCEL);
    EXPECT_TRUE(waitGone(dialog));
  }
  ASSERT_TRUE(closeWithYes(run));
}

TEST(Signal, OutputPortOverridesWritesAndReleases) {
  sim("RESET");
  sim("SET SERVO 1");
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));
  postCommand(IDM_OUTPUT_PORT);
  HWND port = waitModeless(IDD_OUTPUT_PORT);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(controlText(port, portLabelId(0, 0)), L"s-on ｻｰﾎﾞｵﾝ指令");
  // The worker shows the servo output (row 0.0) as ON.
  EXPECT_TRUE(waitToggle(port, portValueToggleId(0, 0), L"ON"));

  // Row 0.1 taken over, then set ON: the reads no longer move its toggle.
  sim("LOG CLEAR");
  pressButton(port, portOverrideBoxId(0, 1));
  EXPECT_TRUE(waitLog("SETDIS01CD:000200000000"));
  pressButton(port, portValueToggleId(0, 1));
  EXPECT_TRUE(waitToggle(port, portValueToggleId(0, 1), L"ON"));
  Sleep(400);
  EXPECT_EQ(controlText(port, portValueToggleId(0, 1)), L"ON");

  // Write: every toggle, the driven row's ON included; the module then drives it.
  char frame[64];
  std::snprintf(frame, sizeof frame, "WRPORT01CY:%04X%04X%04X", outputWord(0) | 0x0002, outputWord(1), outputWord(2));
  sim("LOG CLEAR");
  clickButton(port, IDC_OUTPUT_PORT_WRITE);
  EXPECT_TRUE(waitLog(frame)) << frame << "\n" << simRequestLog();
  EXPECT_EQ(outputWord(0) & 0x0002, 0x0002u);
  saveScreenshot(port, "signal_output_port");

  // A refused override is undone, and the mask keeps only the rows taken over.
  sim("FAULT ERROR SETDIS 0001");
  pressButton(port, portOverrideBoxId(0, 2));
  EXPECT_FALSE(answerMessageBox(5000).empty());
  EXPECT_TRUE(waitChecked(port, portOverrideBoxId(0, 2), false));
  sim("FAULT NONE");
  sim("LOG CLEAR");
  pressButton(port, portOverrideBoxId(2, 15));
  EXPECT_TRUE(waitLog("SETDIS01CD:000200008000")) << simRequestLog();

  // A refused release keeps the dialog open; the next close releases everything.
  sim("FAULT ERROR SETDIS 0001");
  clickButton(port, IDCANCEL);
  EXPECT_FALSE(answerMessageBox(5000).empty());
  EXPECT_TRUE(IsWindowVisible(port));
  sim("FAULT NONE");
  sim("LOG CLEAR");
  clickButton(port, IDCANCEL);
  EXPECT_TRUE(waitGone(port));
  EXPECT_TRUE(waitLog("SETDIS01CD:000000000000"));
  EXPECT_EQ(outputWord(0) & 0x0002, 0u);

  // Closed by its worker after a failed read, the dialog keeps its overrides; the
  // next opening starts with none, and a click sends only that row.
  postCommand(IDM_OUTPUT_PORT);
  port = waitModeless(IDD_OUTPUT_PORT);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(controlText(port, portValueToggleId(0, 1)), L"OFF");   // the written values were cleared
  pressButton(port, portOverrideBoxId(1, 0));
  EXPECT_TRUE(waitChecked(port, portOverrideBoxId(1, 0), true));
  sim("FAULT ERROR RDPORT 0001");
  EXPECT_FALSE(answerMessageBox(5000).empty());
  EXPECT_TRUE(waitGone(port));
  sim("FAULT NONE");
  postCommand(IDM_OUTPUT_PORT);
  port = waitModeless(IDD_OUTPUT_PORT);
  ASSERT_NE(port, nullptr);
  EXPECT_FALSE(isChecked(port, portOverrideBoxId(1, 0)));
  sim("LOG CLEAR");
  pressButton(port, portOverrideBoxId(0, 5));
  EXPECT_TRUE(waitLog("SETDIS01CD:002000000000")) << simRequestLog();
  ASSERT_TRUE(closeWithYes(run));
}

// The line goes dead with the output-port dialog polling, and the program is
// closed: the release is still tried, every box is answered No, and the program
// ends without hanging on the worker.
TEST(Signal, ClosingWithADeadLineStillEnds) {
  sim("RESET");
  setMotorTypeValue(-1);
  setLinkReadTotalMs(1000);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));
  postCommand(IDM_OUTPUT_PORT);
  HWND port = waitModeless(IDD_OUTPUT_PORT);
  ASSERT_NE(port, nullptr);
  Sleep(300);
  sim("LOG CLEAR");
  sim("FAULT SILENT");
  postCommand(IDM_CLOSE);
  const std::wstring confirm = resourceText(IDS_CONFIRM_EXIT);
  DWORD start = GetTickCount();
  while (!run.ended && GetTickCount() - start < 60000) {
    std::wstring text;
    HWND box = waitMessageBox(&text, 200);
    if (box) {
      clickButton(box, text == confirm ? IDYES : IDNO);
      waitGone(box, 2000);
    }
  }
  EXPECT_TRUE(waitAppEnd(run, 1000));
  EXPECT_NE(simRequestLog().find("SETDIS01CD:000000000000"), std::string::npos);
  sim("FAULT NONE");
  setLinkReadTotalMs(kPortTimings.readTotalConstant);
}
