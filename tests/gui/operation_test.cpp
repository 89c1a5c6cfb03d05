// The operation dialogs against qzsim: the jog is hold-to-run however the hold
// ends, stop always stops, a repeat runs cycles until stopped, and the dialogs
// send what their fields and the settings file say.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include <vector>

#include "app_driver.h"
#include "resources/resource.h"
#include "monitor/signal_output.h"
#include "shell/shell_win32.h"
#include "toolkit/window_messages.h"

namespace {

// Waits until qzsim's request log holds `what` at least `times` times.
bool waitLogged(const char* what, size_t times = 1, int timeoutMs = 10000) {
  return waitFor([&] { return countOf(simRequestLog(), what) >= times; }, timeoutMs, 100);
}

HWND openOperation(int command, uint16_t templateId) {
  postCommand(command);
  return waitModeless(templateId);
}

// The pointer goes over the button first: a button held with the pointer
// elsewhere lets go at the next mouse move, as it should.
void holdButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  RECT rect;
  GetWindowRect(button, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  Sleep(100);
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM((rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2));
}

void letGo(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5)); }

// Enter as typed: posted to the control, so the program's message loop hands it
// to the dialog manager as it does every key.
void typeEnter(HWND target) {
  PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(target, WM_CHAR, VK_RETURN, 0x001C0001);
  PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

// Enter where the focus is (right after opening: the first control), then in the
// given field (a combo's edit box), then the IDOK the dialog manager sends for
// Enter. The dialog must report no default button.
void enterEverywhere(HWND dialog, int fieldId) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
  typeEnter(gui.hwndFocus ? gui.hwndFocus : dialog);
  Sleep(200);
  HWND field = GetDlgItem(dialog, fieldId);
  HWND edit = FindWindowExW(field, nullptr, L"Edit", nullptr);
  if (edit) field = edit;
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
  typeEnter(field);
  Sleep(200);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_NE(HIWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), DC_HASDEFID) << "a default button";
}

class Operation : public ::testing::Test {
 protected:
  void start(const char* definitions = "data/ParmDef.cfg", const std::vector<unsigned char>* settings = nullptr) {
    ASSERT_TRUE(sim("RESET"));
    dir_ = makeRunDirectory(definitions);
    if (settings) {
      FILE* f = _wfopen((dir_ + L"\\SetData.cfg").c_str(), L"wb");
      ASSERT_NE(f, nullptr);
      fwrite(settings->data(), 1, settings->size(), f);
      fclose(f);
    }
    ASSERT_TRUE(startConnected(run_, dir_));
    ASSERT_TRUE(sim("SET SERVO 1"));
    ASSERT_TRUE(sim("LOG CLEAR"));
  }
  void TearDown() override {
    if (!run_.ended && FindWindowW(MAIN_WINDOW_CLASS, nullptr)) closeWithYes(run_);
  }
  AppRun run_;
  std::wstring dir_;
};

}  // namespace

TEST_F(Operation, JogIsHoldToRunHoweverTheHoldEnds) {
  start();
  HWND jog = openOperation(IDM_JOG, IDD_JOG);
  ASSERT_NE(jog, nullptr);
  saveScreenshot(jog, "operation_jog");
  // Only the two jog buttons' own edges move the axis: not a worker's notice, not
  // an edge naming another control.
  PostMessageW(jog, UM_WORKER_NOTICE, IDC_OP_FORWARD, 1);
  PostMessageW(jog, UM_JOG_EDGE, IDC_OP_STOP, 1);
  Sleep(500);
  EXPECT_EQ(countOf(simRequestLog(), "FEED__"), 0u) << simRequestLog();

  holdButton(jog, IDC_OP_FORWARD);
  ASSERT_TRUE(waitLogged("FEED__"));
  EXPECT_EQ(countOf(simRequestLog(), "STOP__"), 0u) << "stopped while still held";
  EXPECT_EQ(comboCount(jog, IDC_ACCEL_TYPE), 4) << "the list grew at the press";
  letGo(jog, IDC_OP_FORWARD);
  ASSERT_TRUE(waitLogged("STOP__01CM:DEC_"));
  Sleep(300);
  std::string log = simRequestLog();
  EXPECT_EQ(countOf(log, "FEED__"), 1u) << log;
  EXPECT_EQ(countOf(log, "STOP__"), 1u) << log;
  EXPECT_NE(log.find("CW_"), std::string::npos) << log;

  // Closed while the reverse button is held: the axis stops, once.
  ASSERT_TRUE(sim("LOG CLEAR"));
  holdButton(jog, IDC_OP_REVERSE);
  ASSERT_TRUE(waitLogged("FEED__"));
  EXPECT_NE(simRequestLog().find("CCW"), std::string::npos);
  clickButton(jog, IDCANCEL);
  EXPECT_TRUE(waitGone(jog));
  ASSERT_TRUE(waitLogged("STOP__01CM:DEC_"));
  Sleep(300);
  EXPECT_EQ(countOf(simRequestLog(), "STOP__"), 1u) << simRequestLog();
}

TEST_F(Operation, StopStopsWhateverTheFieldsHoldAndBadInputSendsNothing) {
  start();
  HWND positioning = openOperation(IDM_POSITIONING, IDD_POSITIONING);
  ASSERT_NE(positioning, nullptr);
  setControlText(positioning, IDC_OP_SPEED, L"abc");
  clickButton(positioning, IDC_OP_STOP);
  ASSERT_TRUE(waitLogged("STOP__01CM:DEC_"));
  EXPECT_TRUE(noDialog(nullptr, 300)) << "stop asked about the fields";

  clickButton(positioning, IDC_OP_START);
  std::wstring text = answerMessageBox(5000);
  EXPECT_NE(text.find(L"不正なデータが入力されています。"), std::wstring::npos);
  EXPECT_EQ(countOf(simRequestLog(), "POSING"), 0u);
  clickButton(positioning, IDCANCEL);
  EXPECT_TRUE(waitGone(positioning));

  HWND point = openOperation(IDM_POINT_OPERATION, IDD_POINT_OPERATION);
  ASSERT_NE(point, nullptr);
  setControlText(point, IDC_OP_POINT, L"51");
  clickButton(point, IDC_OP_START);
  text = answerMessageBox(5000);
  EXPECT_NE(text.find(L"不正なデータが入力されています。"), std::wstring::npos);
  EXPECT_EQ(countOf(simRequestLog(), "GOTOPT"), 0u);
  clickButton(point, IDCANCEL);
  EXPECT_TRUE(waitGone(point));
}

TEST_F(Operation, ARepeatRunsCyclesRefusesToCloseAndStopEndsIt) {
  start();
  HWND dialog = openOperation(IDM_POSITIONING, IDD_POSITIONING);
  ASSERT_NE(dialog, nullptr);
  startPositioningRepeat(dialog);
  // Move, return to the start, move again: two cycles at least.
  ASSERT_TRUE(waitLogged("POSING", 3, 20000)) << simRequestLog();
  EXPECT_EQ(comboCount(dialog, IDC_ACCEL_TYPE), 4) << "the list grew at start";
  EXPECT_EQ(comboCount(dialog, IDC_FILTER_TYPE), 4);
  EXPECT_GE(countOf(simRequestLog(), "RDMSTS"), 2u);

  clickButton(dialog, IDCANCEL);
  std::wstring text = answerMessageBox(5000);
  EXPECT_NE(text.find(L"繰返し運転中です。"), std::wstring::npos);
  EXPECT_TRUE(IsWindowVisible(dialog));

  clickButton(dialog, IDC_OP_STOP);
  ASSERT_TRUE(waitLogged("STOP__"));
  Sleep(600);
  size_t moves = countOf(simRequestLog(), "POSING");
  Sleep(600);
  EXPECT_EQ(countOf(simRequestLog(), "POSING"), moves) << "the repeat went on after stop";

  // The program closed while a repeat runs: the repeat ends first, with no box.
  clickButton(dialog, IDC_OP_START);
  ASSERT_TRUE(waitLogged("POSING", moves + 1));
  EXPECT_TRUE(closeWithYes(run_)) << "the program did not end";
}

TEST_F(Operation, AStoredDirectionOutsideItsChoicesOpensAsForward) {
  std::vector<unsigned char> block(1653, 0);
  block[6] = 0x3C;   // value format 0x053C
  block[7] = 0x05;
  block[312 + 1] = 2;   // station rotation direction
  start("data/ParmDef.cfg", &block);
  HWND station = openOperation(IDM_STATION, IDD_STATION);
  ASSERT_NE(station, nullptr);
  EXPECT_EQ(SendDlgItemMessageW(station, IDC_OP_STATION_FORWARD, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendDlgItemMessageW(station, IDC_OP_STATION_REVERSE, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  setControlText(station, IDC_OP_STATION, L"3");
  setControlText(station, IDC_OP_SPEED, L"6000.000");
  clickButton(station, IDC_OP_START);
  ASSERT_TRUE(waitLogged("GOTOST"));
  std::string log = simRequestLog();
  EXPECT_NE(log.find("CW_", log.find("GOTOST")), std::string::npos) << log;
  EXPECT_EQ(log.find("CCW", log.find("GOTOST")), std::string::npos) << log;
  clickButton(station, IDCANCEL);
  EXPECT_TRUE(waitGone(station));
}

// In debug mode every control is live: the speed-change table's edits, and a
// picture of each of the nine dialogs.
TEST_F(Operation, SpeedChangeTableEditsAndEveryDialogShown) {
  start("data/ParmDefDbg.cfg");
  HWND multi = openOperation(IDM_MULTI_SPEED, IDD_MULTI_SPEED);
  ASSERT_NE(multi, nullptr);
  HWND list = GetDlgItem(multi, IDC_LIST);
  auto add = [&](const wchar_t* position, const wchar_t* speed) {
    setControlText(multi, IDC_OP_MS_POSITION, position);
    setControlText(multi, IDC_OP_MS_SPEED, speed);
    SendMessageW(multi, WM_COMMAND, IDC_OP_MS_ADD, 0);
  };
  add(L"1.000", L"100.000");
  add(L"2.000", L"200.000");
  add(L"3.000", L"300.000");
  ASSERT_EQ(listViewRows(list, 3).size(), 3u);
  setControlText(multi, IDC_OP_MS_NUMBER, L"01");
  SendMessageW(multi, WM_COMMAND, IDC_OP_MS_DELETE, 0);
  auto rows = listViewRows(list, 3);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], L"01");
  EXPECT_NE(rows[0][1].find(L"2.000"), std::wstring::npos);
  EXPECT_NE(rows[1][2].find(L"300.000"), std::wstring::npos);

  for (int n = 3; n <= 15; ++n) add(L"4.000", L"400.000");
  ASSERT_EQ(listViewRows(list, 3).size(), 15u);
  add(L"5.000", L"500.000");   // a 16th: nothing, and no box
  EXPECT_EQ(listViewRows(list, 3).size(), 15u);
  EXPECT_TRUE(noDialog(nullptr, 300));
  setControlText(multi, IDC_OP_MS_NUMBER, L"16");
  clickButton(multi, IDC_OP_MS_SET);   // posted: the box holds the dialog
  EXPECT_NE(answerMessageBox(5000).find(L"不正なデータ"), std::wstring::npos);
  EXPECT_EQ(listViewRows(list, 3).size(), 15u);
  saveScreenshot(multi, "operation_multi_speed");
  clickButton(multi, IDCANCEL);
  EXPECT_TRUE(waitGone(multi));

  const struct {
    int command;
    uint16_t templateId;
    const char* shot;
  } dialogs[] = {{IDM_STEP, IDD_STEP, "operation_step"},
                 {IDM_POSITIONING, IDD_POSITIONING, "operation_positioning"},
                 {IDM_POINT_OPERATION, IDD_POINT_OPERATION, "operation_point"},
                 {IDM_STATION, IDD_STATION, "operation_station"},
                 {IDM_EXTERNAL_SIGNAL, IDD_EXTERNAL_SIGNAL, "operation_external_signal"},
                 {IDM_PASS_POINT, IDD_PASS_POINT, "operation_pass_point"},
                 {IDM_HOMING, IDD_HOMING, "operation_homing"}};
  for (const auto& d : dialogs) {
    HWND dialog = openOperation(d.command, d.templateId);
    ASSERT_NE(dialog, nullptr) << d.shot;
    Sleep(200);
    saveScreenshot(dialog, d.shot);
    clickButton(dialog, IDCANCEL);
    EXPECT_TRUE(waitGone(dialog)) << d.shot;
  }
}

// A stop in any dialog ends the repeat of another, and nothing moves after it;
// a jog released while its FEED__ waits for a lost reply stops at once.
TEST_F(Operation, AStopAnywhereEndsEveryRepeatAndOvertakesAMotionAwaitingItsReply) {
  start();
  HWND positioning = openOperation(IDM_POSITIONING, IDD_POSITIONING);
  ASSERT_NE(positioning, nullptr);
  startPositioningRepeat(positioning);
  ASSERT_TRUE(waitLogged("POSING", 2, 20000)) << simRequestLog();
  HWND homing = openOperation(IDM_HOMING, IDD_HOMING);
  ASSERT_NE(homing, nullptr);
  clickButton(homing, IDC_OP_STOP);
  ASSERT_TRUE(waitLogged("STOP__"));
  Sleep(1500);
  std::string log = simRequestLog();
  EXPECT_EQ(countOf(log.substr(log.rfind("STOP__")), "POSING"), 0u) << log;
  // The positioning repeat has ended: its dialog closes without box 259.
  clickButton(positioning, IDCANCEL);
  EXPECT_TRUE(waitGone(positioning, 3000));
  clickButton(homing, IDCANCEL);
  EXPECT_TRUE(waitGone(homing, 3000));

  ASSERT_TRUE(sim("FAULT NOREPLY 1 FEED__"));
  ASSERT_TRUE(sim("LOG CLEAR"));
  HWND jog = openOperation(IDM_JOG, IDD_JOG);
  ASSERT_NE(jog, nullptr);
  holdButton(jog, IDC_OP_FORWARD);
  ASSERT_TRUE(waitLogged("FEED__"));
  Sleep(300);   // the FEED__ now waits for its reply
  DWORD released = GetTickCount();
  letGo(jog, IDC_OP_FORWARD);
  ASSERT_TRUE(waitLogged("STOP__01CM:DEC_", 1, 1000)) << simRequestLog();
  EXPECT_LT(GetTickCount() - released, 1000u);
  std::wstring text;
  EXPECT_EQ(waitMessageBox(&text, 1000), nullptr) << "a box after the release";
  log = simRequestLog();
  EXPECT_EQ(countOf(log, "FEED__"), 1u) << log;
  clickButton(jog, IDCANCEL);
  EXPECT_TRUE(waitGone(jog));
}

// Enter never moves the axis or writes outputs: not in a field, not right after
// opening; the dialogs that do either have no default button.
TEST_F(Operation, EnterSendsNothing) {
  start("data/ParmDefDbg.cfg");
  HWND positioning = openOperation(IDM_POSITIONING, IDD_POSITIONING);
  ASSERT_NE(positioning, nullptr);
  setControlText(positioning, IDC_OP_SPEED, L"6000.000");
  setControlText(positioning, IDC_OP_POSITION, L"10.000");
  enterEverywhere(positioning, IDC_OP_POSITION);
  clickButton(positioning, IDCANCEL);
  EXPECT_TRUE(waitGone(positioning));

  // A speed change typed and confirmed with Enter: neither added nor started.
  HWND multi = openOperation(IDM_MULTI_SPEED, IDD_MULTI_SPEED);
  ASSERT_NE(multi, nullptr);
  setControlText(multi, IDC_OP_MS_POSITION, L"1.000");
  setControlText(multi, IDC_OP_MS_SPEED, L"100.000");
  enterEverywhere(multi, IDC_OP_MS_SPEED);
  EXPECT_EQ(listViewRows(GetDlgItem(multi, IDC_LIST), 3).size(), 0u);
  clickButton(multi, IDCANCEL);
  EXPECT_TRUE(waitGone(multi));

  postCommand(IDM_OUTPUT_PORT);
  HWND port = waitModeless(IDD_OUTPUT_PORT);
  ASSERT_NE(port, nullptr);
  enterEverywhere(port, portOverrideBoxId(0, 0));
  Sleep(300);
  std::string log = simRequestLog();
  EXPECT_EQ(countOf(log, "POSING"), 0u) << log;
  EXPECT_EQ(countOf(log, "POS_MS"), 0u) << log;
  EXPECT_EQ(countOf(log, "WRPORT"), 0u) << log;
  EXPECT_TRUE(noDialog(nullptr, 300)) << "Enter asked something";

  // The reset dialog's one button does not take the focus at open.
  postCommand(IDM_MODULE_RESET);
  HWND reset = waitModeless(IDD_MODULE_RESET);
  ASSERT_NE(reset, nullptr);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(reset, nullptr), &gui);
  typeEnter(gui.hwndFocus ? gui.hwndFocus : reset);
  Sleep(500);
  EXPECT_EQ(countOf(simRequestLog(), "RSTMDL"), 0u) << simRequestLog();
}
