// The monitors against qzsim: the motion state and its lamps, the signal words
// (the middle section frozen outside debug mode), current values in the chosen
// value format, the alarm list with its clear button, the alarm history, and
// closing the program with every monitor, a list and a verify open on a dead line.
#include <gtest/gtest.h>

#include <windows.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app_driver.h"
#include "link/comm_thread.h"
#include "link/link.h"
#include "link/request.h"
#include "resources/resource.h"
#include "serial/serial_port.h"

namespace {

constexpr COLORREF kLampOn = RGB(0, 255, 0);
constexpr COLORREF kLampOff = RGB(128, 128, 0);

COLORREF lamp(HWND dialog, int id) { return controlPixel(dialog, id, 8, 8); }

HWND g_list = nullptr;
size_t g_rows = 0;
bool listHasRows() { return listViewRows(g_list, 4).size() == g_rows; }

bool waitLogged(const char* frame) {
  return waitFor([&] { return simRequestLog().find(frame) != std::string::npos; }, 3000);
}

// Sets the command unit to 0.01 through the environment dialog.
void chooseHundredths() {
  postCommand(IDM_ENVIRONMENT);
  HWND dialog = waitDialog(L"環境設定");
  ASSERT_NE(dialog, nullptr);
  setControlText(dialog, IDC_ENV_INTERVAL, L"0");
  selectComboItem(dialog, IDC_ENV_COMMAND_UNIT, 1);
  clickButton(dialog, IDC_ENV_SET);
  ASSERT_TRUE(waitGone(dialog));
}

}  // namespace

TEST(Monitors, MotionSignalsAndValuesFollowTheModule) {
  sim("RESET");
  sim("SET SERVO 1");
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));

  postCommand(IDM_MOTION_MONITOR);
  HWND motion = waitModeless(IDD_MOTION_MONITOR);
  ASSERT_NE(motion, nullptr);
  EXPECT_TRUE(waitControlText(motion, IDC_MOTION_STATE, L"停止状態"));
  EXPECT_EQ(controlText(motion, IDC_MOTION_LABEL0), L"block_end");
  EXPECT_TRUE(waitControlText(motion, 1041, L"ON"));
  EXPECT_EQ(lamp(motion, 1107), kLampOn);

  // A feed started here: the monitor follows it and back to rest.
  ASSERT_EQ(requestMotion(nullptr, {.command = CMD_FEED, .head = {0, 0, 0, 4, 2000}, .direction = 0}), 0);
  EXPECT_TRUE(waitControlText(motion, IDC_MOTION_STATE, L"定速運転中"));
  EXPECT_TRUE(waitControlText(motion, 1041, L"OFF"));
  EXPECT_EQ(lamp(motion, 1107), kLampOff);
  EXPECT_EQ(lamp(motion, 1108), kLampOn);   // moving
  saveScreenshot(motion, "monitor_motion");
  ASSERT_EQ(request_STOP__(nullptr, 1), 0);
  EXPECT_TRUE(waitControlText(motion, IDC_MOTION_STATE, L"停止状態"));
  EXPECT_TRUE(waitControlText(motion, 1041, L"ON"));
  EXPECT_EQ(lamp(motion, 1107), kLampOn);
  clickButton(motion, IDCANCEL);
  ASSERT_TRUE(waitGone(motion));

  // Inputs: bit 0 and 9 of the first word, all of the middle one, esp of the last.
  ASSERT_TRUE(sim("SET INPUTS 0201 FFFF 0004"));
  postCommand(IDM_INPUT_MONITOR);
  HWND inputs = waitModeless(IDD_INPUT_MONITOR);
  ASSERT_NE(inputs, nullptr);
  EXPECT_EQ(controlText(inputs, IDC_SIGNAL_MNEMONIC0 + 9), L"coin");
  EXPECT_EQ(controlText(inputs, IDC_SIGNAL_LABEL0 + 9), L"位置決め完了");
  EXPECT_EQ(controlText(inputs, IDC_SIGNAL_SECTION0 + 1), L"TARV→QZXXX");
  EXPECT_TRUE(waitControlText(inputs, 1173, L"ON"));   // si0
  EXPECT_EQ(controlText(inputs, 1174), L"OFF");
  EXPECT_EQ(controlText(inputs, 1177 + 4), L"ON");      // coin
  EXPECT_EQ(controlText(inputs, 1071 + 2), L"ON");      // esp
  EXPECT_EQ(lamp(inputs, 1204), kLampOn);
  EXPECT_EQ(lamp(inputs, 1205), kLampOff);
  // Outside debug mode the middle section keeps its first look.
  Sleep(300);
  for (int bit : {0, 8, 15}) {
    EXPECT_EQ(controlText(inputs, 1188 + bit), L"OFF") << bit;
    EXPECT_EQ(lamp(inputs, 1220 + bit), kLampOff) << bit;
  }
  saveScreenshot(inputs, "monitor_input");
  clickButton(inputs, IDCANCEL);
  ASSERT_TRUE(waitGone(inputs));

  postCommand(IDM_OUTPUT_MONITOR);
  HWND outputs = waitModeless(IDD_OUTPUT_MONITOR);
  ASSERT_NE(outputs, nullptr);
  EXPECT_EQ(controlText(outputs, IDC_SIGNAL_MNEMONIC0), L"s-on");
  EXPECT_TRUE(waitControlText(outputs, 1173, L"ON"));   // servo on
  EXPECT_EQ(lamp(outputs, 1204), kLampOn);
  saveScreenshot(outputs, "monitor_output");
  clickButton(outputs, IDCANCEL);
  ASSERT_TRUE(waitGone(outputs));

  // Current values in the format the environment settings chose (0.01 here).
  chooseHundredths();
  postCommand(IDM_VALUE_MONITOR);
  HWND values = waitModeless(IDD_VALUE_MONITOR);
  ASSERT_NE(values, nullptr);
  long position = simPosition();
  ASSERT_NE(position, 0);
  wchar_t expected[32];
  swprintf(expected, 32, L"%12.2f", position / 100.0);
  EXPECT_TRUE(waitControlText(values, IDC_VALUE_COMMAND, expected)) << controlText(values, IDC_VALUE_COMMAND);
  EXPECT_EQ(controlText(values, IDC_VALUE_FEEDBACK), expected);
  EXPECT_EQ(controlText(values, IDC_VALUE_TORQUE), L"        0.00");
  EXPECT_EQ(controlText(values, IDC_VALUE_MONITOR1), L"") << "debug mode only";
  EXPECT_EQ(controlText(values, IDC_VALUE_UNIT0), L"[mm]");
  saveScreenshot(values, "monitor_values");
  ASSERT_TRUE(closeWithYes(run));
}

TEST(Monitors, AlarmListFollowsTheRecordsAndClearsAndTheHistoryShowsItsTexts) {
  sim("RESET");
  // SVA 10 at one day and one tick, MTW 02, SYA 03.
  ASSERT_TRUE(sim("SET ALARMS QZ 00A4CB81 00004010 00000064 00000202 00000000 00001003"));
  ASSERT_TRUE(sim("SET ALARMS SV 00000000 00000040 00000000 000000D0"));
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));

  postCommand(IDM_ALARM_MONITOR);
  HWND alarms = waitModeless(IDD_ALARM_MONITOR);
  ASSERT_NE(alarms, nullptr);
  g_list = GetDlgItem(alarms, IDC_ALARM_LIST);
  g_rows = 3;
  ASSERT_TRUE(waitFor(listHasRows, 5000));
  auto rows = listViewRows(g_list, 4);
  EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"001 00:00:00.008", L"SVA", L"10", L"過電流"}));
  EXPECT_EQ(rows[1], (std::vector<std::wstring>{L"000 00:00:00.800", L"MTW", L"02", L"負側ソフトリミット"}));
  EXPECT_EQ(rows[2], (std::vector<std::wstring>{L"000 00:00:00.000", L"SYA", L"03", L"ウォッチドッグ"}));
  saveScreenshot(alarms, "monitor_alarm");

  ASSERT_TRUE(sim("SET ALARMS QZ"));
  g_rows = 0;
  EXPECT_TRUE(waitFor(listHasRows, 5000)) << "going to zero clears the list";

  sim("LOG CLEAR");
  clickButton(alarms, IDC_ALARM_CLEAR);
  EXPECT_TRUE(waitLogged("CLRALM01CM:CURTK:QZ")) << simRequestLog();
  clickButton(alarms, IDCANCEL);
  ASSERT_TRUE(waitGone(alarms));

  postCommand(IDM_ALARM_HISTORY);
  HWND history = waitModeless(IDD_ALARM_HISTORY);
  ASSERT_NE(history, nullptr);
  g_list = GetDlgItem(history, IDC_ALARM_LIST);
  g_rows = 2;
  ASSERT_TRUE(waitFor(listHasRows, 5000));
  rows = listViewRows(g_list, 2);
  EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"40", L"過電圧"}));
  EXPECT_EQ(rows[1], (std::vector<std::wstring>{L"D0", L"位置偏差過大"}));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(history, IDC_ALARM_CLEAR)));
  saveScreenshot(history, "monitor_alarm_history");
  ASSERT_TRUE(closeWithYes(run));
}

// Every monitor, the point list and a parameter verify waiting on a
// line gone dead (reads time out only after 10 s), the
// program closed: no close waits for its worker, so the main window goes at
// once; the read in flight is given up at shutdown, so the program ends within
// 1 s of it; and no box comes after it.
TEST(Monitors, ClosingWithEveryDialogOpenOnADeadLineEndsAtOnce) {
  sim("RESET");
  setMotorTypeValue(-1);
  AppRun run;
  std::wstring directory = makeRunDirectory();
  ASSERT_TRUE(startConnected(run, directory));
  const int commands[] = {IDM_MOTION_MONITOR, IDM_INPUT_MONITOR, IDM_OUTPUT_MONITOR, IDM_VALUE_MONITOR,
                          IDM_ALARM_MONITOR,  IDM_ALARM_HISTORY, IDM_TREND_MONITOR};
  const uint16_t templates[] = {IDD_MOTION_MONITOR, IDD_INPUT_MONITOR, IDD_OUTPUT_MONITOR, IDD_VALUE_MONITOR,
                                IDD_ALARM_MONITOR,  IDD_ALARM_HISTORY, IDD_TREND_MONITOR};
  ASSERT_TRUE(sim("PACE ON"));   // the verify and the list are still reading when the line dies
  // The verify first: its file dialog is then the only dialog with a file name field.
  std::wstring file = directory + L"\\verify.PRM";
  wchar_t sample[MAX_PATH];
  MultiByteToWideChar(CP_UTF8, 0, QZ_SOURCE_DIR "/data/Sample.PRM", -1, sample, MAX_PATH);
  ASSERT_TRUE(CopyFileW(sample, file.c_str(), FALSE));
  postCommand(IDM_VERIFY_PARAMS);
  HWND files = waitFileDialog();
  ASSERT_NE(files, nullptr);
  chooseInFileDialog(files, file);
  ASSERT_NE(waitModeless(IDD_PARAM_VERIFY), nullptr);
  for (int i = 0; i < 7; ++i) {
    postCommand(commands[i]);
    ASSERT_NE(waitModeless(templates[i]), nullptr) << templates[i];
  }
  // The point list, whose rows no parameter verify refreshes: a refresh is a
  // request of the user-interface thread itself, which a dead line would hold.
  postCommand(IDM_POINT_LIST);
  ASSERT_NE(waitModeless(IDD_POINT_LIST), nullptr);
  Sleep(300);
  ASSERT_TRUE(sim("FAULT SILENT"));
  Sleep(300);   // every worker is now waiting on the line

  // A watcher notes when the main window leaves the screen (its destruction
  // hides it first) and when the link's shutdown begins.
  HWND main = mainWindow();
  std::atomic<DWORD> mainHidden{0}, linkDown{0};
  std::thread watcher([&] {
    while (IsWindowVisible(main) && !run.ended) Sleep(5);
    mainHidden = GetTickCount();
    while (linkRunning() && !run.ended) Sleep(5);
    linkDown = GetTickCount();
  });
  postCommand(IDM_CLOSE);
  const std::wstring confirm = resourceText(IDS_CONFIRM_EXIT);
  DWORD start = GetTickCount();
  DWORD confirmed = 0;
  int lateBoxes = 0;
  while (!run.ended && GetTickCount() - start < 90000) {
    std::wstring text;
    if (HWND box = waitMessageBox(&text, 100)) {
      if (mainHidden.load()) ++lateBoxes;
      if (text == confirm) confirmed = GetTickCount();
      clickButton(box, text == confirm ? IDYES : IDNO);
      waitGone(box, 2000);
    }
  }
  DWORD ended = GetTickCount();
  watcher.join();
  ASSERT_TRUE(waitAppEnd(run, 1000));
  ASSERT_NE(confirmed, 0u);
  // Wine here takes about 2 s to return from the box (and as long again to take
  // down each window); every close that waited for its worker added 3 s.
  EXPECT_LT(mainHidden.load() - confirmed, 4000u) << "closing the dialogs waited for their workers";
  EXPECT_LT(ended - linkDown.load(), 1000u) << "the end waited for the read in flight";
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(lateBoxes, 0);
  EXPECT_EQ(waitMessageBox(nullptr, 500), nullptr) << "a box after the main window went";
  sim("PACE OFF");
  sim("FAULT NONE");
}
