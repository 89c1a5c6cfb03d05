// The connection, environment and version dialogs and the definition reloads.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app_driver.h"
#include "files/settings.h"
#include "link/link_state.h"
#include "link/status_poll.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"

namespace {
void closeApp(AppRun& run) { ASSERT_TRUE(closeWithYes(run)); }
}  // namespace

TEST(Dialogs, UnmappedPortFailsAndAPortOutsideTheRangeSelectsNothing) {
  setMotorTypeValue(-1);
  std::wstring dir = makeRunDirectory();
  writeSettingsWithPort(dir, 5);   // a settings file naming COM6
  AppRun run;
  HWND dialog = startAndWaitConnect(run, dir);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(isChecked(dialog, IDC_CONNECT_COM1));
  EXPECT_FALSE(isChecked(dialog, IDC_CONNECT_COM2));
  EXPECT_FALSE(isChecked(dialog, IDC_CONNECT_COM3));
  // COM6 is not present: "その他" is chosen with COM6 selected and marked absent.
  EXPECT_TRUE(isChecked(dialog, IDC_CONNECT_OTHER));
  int at = comboSelection(dialog, IDC_CONNECT_OTHER_PORT);
  EXPECT_EQ(comboItemText(dialog, IDC_CONNECT_OTHER_PORT, at), L"COM6  " + resourceText(IDS_PORT_ABSENT));

  checkRadio(dialog, IDC_CONNECT_COM2, IDC_CONNECT_COM1, IDC_CONNECT_OTHER);
  clickButton(dialog, IDC_CONNECT_OK);
  std::wstring text;
  HWND box = waitMessageBox(&text, 40000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find(L"通信ポートの初期化に失敗しました。"), std::wstring::npos);
  clickButton(box, IDOK);
  ASSERT_TRUE(waitGone(box));
  EXPECT_TRUE(IsWindowVisible(dialog));   // the dialog stays for another choice
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  EXPECT_EQ(savedPort(), 1);

  checkRadio(dialog, IDC_CONNECT_COM1, IDC_CONNECT_COM1, IDC_CONNECT_COM3);
  clickButton(dialog, IDC_CONNECT_OK);
  ASSERT_TRUE(waitGone(dialog));
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);
  EXPECT_EQ(g_mode.currentPort, 0);
  closeApp(run);
}

// qzsim is mapped to COM12 as well as COM1 (scripts/wine-tests).
TEST(Dialogs, OtherPortCom12ConnectsAndIsKeptAcrossARestart) {
  setMotorTypeValue(-1);
  std::wstring dir = makeRunDirectory();
  AppRun run;
  HWND dialog = startAndWaitConnect(run, dir);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(isChecked(dialog, IDC_CONNECT_COM1));
  int com12 = comboIndexOfData(dialog, IDC_CONNECT_OTHER_PORT, 11);
  ASSERT_GE(com12, 0) << "COM12 is listed from the device map";
  EXPECT_EQ(comboItemText(dialog, IDC_CONNECT_OTHER_PORT, com12).rfind(L"COM12", 0), 0u);
  EXPECT_LT(comboIndexOfData(dialog, IDC_CONNECT_OTHER_PORT, 0), com12) << "number order";
  checkRadio(dialog, IDC_CONNECT_OTHER, IDC_CONNECT_COM1, IDC_CONNECT_OTHER);
  selectComboItem(dialog, IDC_CONNECT_OTHER_PORT, com12);
  showComboList(dialog, IDC_CONNECT_OTHER_PORT, true);
  saveScreenshotWithList(dialog, "connect_dialog_other");
  showComboList(dialog, IDC_CONNECT_OTHER_PORT, false);
  clickButton(dialog, IDC_CONNECT_OK);
  ASSERT_TRUE(waitGone(dialog));
  EXPECT_EQ(g_mode.currentPort, 11);
  EXPECT_TRUE(waitFor([] { return statusPollingActive() && linkFlagTest(LINK_PORT_OPEN) == 1; }, 5000));
  sim("LOG CLEAR");
  EXPECT_TRUE(waitFor([] { return simRequestLog().find("RDSSTS") != std::string::npos; }, 5000))
      << "the status poll talks to the module on COM12";
  closeApp(run);

  AppRun again;
  dialog = startAndWaitConnect(again, dir);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(isChecked(dialog, IDC_CONNECT_OTHER));
  EXPECT_FALSE(isChecked(dialog, IDC_CONNECT_COM1));
  EXPECT_EQ(comboSelection(dialog, IDC_CONNECT_OTHER_PORT), comboIndexOfData(dialog, IDC_CONNECT_OTHER_PORT, 11));
  clickButton(dialog, IDC_CONNECT_OK);
  ASSERT_TRUE(waitGone(dialog));
  EXPECT_EQ(g_mode.currentPort, 11);
  closeApp(again);
}

namespace {
// scripts/wine-tests ends COM13's simulator (the adapter pulled out) or starts a new
// one (plugged back in) when the file <dir>\qz-com13.unplug or .plug appears.
bool com13(const wchar_t* what) {
  wchar_t dir[MAX_PATH] = {};
  if (!GetEnvironmentVariableW(L"QZ_COM13_DIR", dir, MAX_PATH)) return false;
  std::wstring path = std::wstring(dir) + L"\\qz-com13." + what;
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  fclose(f);
  for (int waited = 0; waited < 10000; waited += 100) {   // taken up by the script
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      Sleep(500);
      return true;
    }
    Sleep(100);
  }
  return false;
}
}  // namespace

// The adapter on COM13 is pulled out while the status poll and a monitor run:
// one failure box, no hang; plugged back in, Connect works again.
TEST(Dialogs, PulledAdapterShowsOneBoxAndConnectsAgainWhenPluggedBackIn) {
  setMotorTypeValue(-1);
  std::wstring dir = makeRunDirectory();
  writeSettingsWithPort(dir, 12);   // COM13
  AppRun run;
  ASSERT_TRUE(startConnected(run, dir));
  EXPECT_EQ(g_mode.currentPort, 12);
  postCommand(IDM_MOTION_MONITOR);
  HWND monitor = waitModeless(IDD_MOTION_MONITOR);
  ASSERT_NE(monitor, nullptr);
  Sleep(500);

  ASSERT_TRUE(com13(L"unplug"));
  std::wstring text;
  HWND box = waitMessageBox(&text, 60000);
  ASSERT_NE(box, nullptr) << "the lost line is reported";
  EXPECT_NE(text.find(resourceText(IDS_COMM_ERROR).substr(0, 8)), std::wstring::npos);
  clickButton(box, IDNO);
  ASSERT_TRUE(waitGone(box));
  EXPECT_TRUE(noDialog(nullptr, 5000)) << "exactly one box";
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);

  ASSERT_TRUE(com13(L"plug"));
  postCommand(IDM_CONNECT);
  HWND dialog = waitDialog(L"接続");
  ASSERT_NE(dialog, nullptr) << "the program stays usable";
  EXPECT_TRUE(isChecked(dialog, IDC_CONNECT_OTHER));
  clickButton(dialog, IDC_CONNECT_OK);
  ASSERT_TRUE(waitGone(dialog));
  EXPECT_TRUE(waitFor([] { return statusPollingActive() && linkFlagTest(LINK_PORT_OPEN) == 1; }, 5000));
  EXPECT_EQ(g_mode.currentPort, 12);
  closeApp(run);
}

TEST(Dialogs, EnvironmentWithAnInvalidIntervalKeepsTheUnitIndicesOnly) {
  AppRun run;
  ASSERT_TRUE(startWithoutConnecting(run, makeRunDirectory()));

  postCommand(IDM_ENVIRONMENT);
  HWND dialog = waitDialog(L"環境設定");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(controlText(dialog, IDC_ENV_INTERVAL), L"0");
  saveScreenshot(dialog, "environment_dialog");
  setControlText(dialog, IDC_ENV_INTERVAL, L"12x");
  SendMessageTimeoutW(GetDlgItem(dialog, IDC_ENV_COMMAND_UNIT), CB_SETCURSEL, 1, 0, SMTO_BLOCK, 5000, nullptr);
  SendMessageTimeoutW(GetDlgItem(dialog, IDC_ENV_DISPLAY_UNIT), CB_SETCURSEL, 1, 0, SMTO_BLOCK, 5000, nullptr);
  clickButton(dialog, IDC_ENV_SET);
  std::wstring text;
  HWND box = waitMessageBox(&text);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find(L"不正なデータが入力されています。"), std::wstring::npos);
  clickButton(box, IDOK);
  ASSERT_TRUE(waitGone(dialog));
  EXPECT_EQ(g_settings.environment.commandUnit, 1);
  EXPECT_EQ(g_settings.environment.displayUnit, 1);
  EXPECT_EQ(g_settings.environment.valueFormat, 0x53C);

  // A valid interval takes the command unit's format.
  postCommand(IDM_ENVIRONMENT);
  dialog = waitDialog(L"環境設定");
  ASSERT_NE(dialog, nullptr);
  setControlText(dialog, IDC_ENV_INTERVAL, L"500");
  clickButton(dialog, IDC_ENV_SET);
  ASSERT_TRUE(waitGone(dialog));
  EXPECT_EQ(g_settings.environment.repeatInterval, 500);
  EXPECT_EQ(g_settings.environment.valueFormat, 0x52C);
  closeApp(run);
}

TEST(Dialogs, VersionShowsVer100) {
  AppRun run;
  ASSERT_TRUE(startWithoutConnecting(run, makeRunDirectory()));
  postCommand(IDM_VERSION);
  HWND dialog = waitDialog(L"バージョン情報");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(controlText(dialog, IDC_VERSION_TEXT), L"Ver 1.00");
  saveScreenshot(dialog, "version_dialog");
  clickButton(dialog, IDC_VERSION_OK);
  ASSERT_TRUE(waitGone(dialog));
  closeApp(run);
}

TEST(Dialogs, RotaryReloadFallsBackToTheLinearFile) {
  setMotorTypeValue(-1);
  std::wstring dir = makeRunDirectory();
  AppRun run;
  ASSERT_TRUE(startWithoutConnecting(run, dir));
  writeTextFile(dir + L"\\ParmDef.cfg", "MODE:STD\r\nPn0100;\r\n");
  postCommand(IDM_LOAD_ROTARY_DEFS);
  std::wstring text;
  HWND box = waitMessageBox(&text);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find(L"LINE:"), std::wstring::npos);
  clickButton(box, IDOK);
  ASSERT_TRUE(waitGone(box));
  EXPECT_TRUE(noDialog(nullptr, 800));   // one box only
  // The linear file is read after the box has gone.
  waitFor([] { return g_motorType == MOTOR_LINEAR; }, 5000);
  EXPECT_EQ(g_motorType, MOTOR_LINEAR);
  closeApp(run);
  setMotorTypeValue(-1);
}

TEST(Dialogs, BrokenDataFileReopensTheFileDialogAndCancelLeavesNoPath) {
  setMotorTypeValue(-1);
  std::wstring dir = makeRunDirectory();
  writeTextFile(dir + L"\\Broken.cfg", "MODE:STD\r\nPn0100:\r\nD:\"x\"{1,0,1000}\r\n");
  AppRun run;
  ASSERT_TRUE(startWithoutConnecting(run, dir));
  postCommand(IDM_DATA_FILE_SELECT);
  HWND files = waitFileDialog();
  ASSERT_NE(files, nullptr);
  chooseInFileDialog(files, dir + L"\\Broken.cfg");
  std::wstring text;
  HWND box = waitMessageBox(&text);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find(L"ﾊﾟﾗﾒｰﾀ定義ﾌｧｲﾙの読込みに失敗しました。"), std::wstring::npos);
  EXPECT_NE(text.find(L"LINE:"), std::wstring::npos);
  clickButton(box, IDOK);
  ASSERT_TRUE(waitGone(box));
  files = waitFileDialog();
  ASSERT_NE(files, nullptr);   // offered again
  clickButton(files, IDCANCEL);
  ASSERT_TRUE(waitGone(files));
  EXPECT_STREQ(g_definitionPath, "");
  closeApp(run);
}

TEST(Dialogs, SilentModuleOffersReconnectionAndNoStopsPolling) {
  sim("RESET");
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));

  // Three attempts of ten seconds each, then the box. Yes: the port is closed and
  // reopened and the same poll goes on.
  sim("FAULT SILENT");
  std::wstring text;
  HWND box = waitMessageBox(&text, 45000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find(L"通信異常が発生しました。"), std::wstring::npos);
  EXPECT_NE(text.find(L"(RDSSTS)"), std::wstring::npos);
  sim("FAULT NONE");
  clickButton(box, IDYES);
  ASSERT_TRUE(waitGone(box));
  // A fresh reply reaches the status bar: the reconnection's own read is done.
  sim("SET SERVO 1");
  EXPECT_TRUE(waitFor([] { return g_moduleStatus.servoOn.load() == 1; }, 30000));
  EXPECT_TRUE(noDialog(nullptr, 500));
  EXPECT_TRUE(statusPollingActive());
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 1);

  // No: the link stays closed and polling ends.
  sim("FAULT SILENT");
  box = waitMessageBox(&text, 45000);
  ASSERT_NE(box, nullptr);
  sim("FAULT NONE");
  clickButton(box, IDNO);
  ASSERT_TRUE(waitGone(box));
  EXPECT_TRUE(waitFor([] { return !statusPollingActive(); }, 5000));
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  EXPECT_TRUE(noDialog(nullptr, 1000));
  closeApp(run);
}
