// The desktop program under Wine: start-up with each definition file, a second
// copy, the motor type in the registry, connecting, the live status bar, closing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app_driver.h"
#include "files/definitions.h"
#include "files/settings.h"
#include "link/link_state.h"
#include "link/status_poll.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"

namespace {
const COLORREF kGreen = RGB(0, 255, 0), kRed = RGB(255, 0, 0), kGrey = RGB(192, 192, 192);

void closeApp(AppRun& run) {
  ASSERT_TRUE(closeWithYes(run));
  EXPECT_EQ(run.exitCode, 0);
}

int fieldFourEdge() {
  int edges[5] = {};
  SendMessageTimeoutW(g_statusBar, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(edges), SMTO_BLOCK, 5000, nullptr);
  return edges[4];
}
}  // namespace

TEST(Startup, RotaryConnectsAndTheStatusBarFollowsTheModule) {
  sim("RESET");
  setMotorTypeValue(-1);
  AppRun run;
  startApp(run, makeRunDirectory());
  HWND dialog = waitDialog(L"接続");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(isChecked(dialog, IDC_CONNECT_COM1));
  EXPECT_EQ(controlText(dialog, IDC_CONNECT_BAUD), L"9600");
  EXPECT_EQ(controlText(dialog, IDC_CONNECT_DATA_BITS), L"8");
  EXPECT_EQ(controlText(dialog, IDC_CONNECT_PARITY), L"偶数パリティ");
  EXPECT_EQ(controlText(dialog, IDC_CONNECT_STOP_BITS), L"1");
  saveScreenshot(dialog, "connect_dialog");
  clickButton(dialog, IDC_CONNECT_OK);
  ASSERT_TRUE(waitGone(dialog));
  EXPECT_EQ(g_motorType, MOTOR_ROTARY);
  EXPECT_EQ(fieldFourEdge(), 500);
  EXPECT_TRUE(waitFor([] { return statusPollingActive() && linkFlagTest(LINK_PORT_OPEN) == 1; }, 5000));

  sim("SET READY 1");
  sim("SET SERVO 1");
  sim("SET MAIN 1");
  sim("SET ALARM 1");
  EXPECT_TRUE(waitFor([] { return statusFieldColour(3) == kRed; }, 5000));
  EXPECT_EQ(statusFieldColour(0), kGreen);
  EXPECT_EQ(statusFieldColour(1), kGreen);
  EXPECT_EQ(statusFieldColour(2), kGreen);
  EXPECT_EQ(statusFieldColour(4), kGrey);
  saveScreenshot(mainWindow(), "main_window");
  sim("SET SERVO 0");
  EXPECT_TRUE(waitFor([] { return statusFieldColour(1) == kGrey; }, 5000));

  // A second copy ends at once and leaves this one running.
  EXPECT_EQ(runSetupTool(GetModuleHandleW(nullptr), SW_SHOW), 0);
  EXPECT_NE(mainWindow(1000), nullptr);

  // No keeps everything; Yes ends the program with one close request.
  postCommand(IDM_CLOSE);
  std::wstring text;
  HWND box = waitMessageBox(&text);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find(L"アプリケーションを終了します！"), std::wstring::npos);
  clickButton(box, IDNO);
  ASSERT_TRUE(waitGone(box));
  Sleep(300);
  EXPECT_NE(mainWindow(1000), nullptr);
  closeApp(run);
  EXPECT_EQ(motorTypeValue(), MOTOR_ROTARY);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
}

TEST(Startup, LinearFromTheRegistryAndWrittenBack) {
  setMotorTypeValue(2);
  AppRun run;
  ASSERT_TRUE(startWithoutConnecting(run, makeRunDirectory()));
  EXPECT_EQ(g_motorType, MOTOR_LINEAR);
  EXPECT_NE(std::string(g_definitionPath).find("ParmDefL.cfg"), std::string::npos);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);   // cancelled: nothing opened
  closeApp(run);
  EXPECT_EQ(motorTypeValue(), MOTOR_LINEAR);
  setMotorTypeValue(-1);
}

TEST(Startup, DebugDefinitionsWidenTheLastField) {
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startWithoutConnecting(run, makeRunDirectory("data/ParmDefDbg.cfg")));
  EXPECT_EQ(g_mode.debugMode, 1);
  EXPECT_EQ(fieldFourEdge(), 1600);
  closeApp(run);
}

TEST(Startup, BrokenDefinitionFileShowsItsLineAndNoWindow) {
  setMotorTypeValue(-1);
  std::wstring dir = makeRunDirectory(nullptr);
  writeTextFile(dir + L"\\ParmDef.cfg", "MODE:STD\r\nPn0100:\r\nD:\"x\"{1,0,1000}\r\n");
  AppRun run;
  startApp(run, dir);
  std::wstring text;
  HWND box = waitMessageBox(&text);
  ASSERT_NE(box, nullptr) << run.ended << " " << g_definitionPath << " " << run.exitCode;
  EXPECT_NE(text.find(L"LINE:"), std::wstring::npos);
  EXPECT_EQ(FindWindowW(MAIN_WINDOW_CLASS, nullptr), nullptr);
  clickButton(box, IDOK);
  ASSERT_TRUE(waitAppEnd(run));
  EXPECT_EQ(run.exitCode, 0);
}

// The test names a mode that has no library rather than deleting the shipped one;
// the box names the file it looked for in the start directory.
TEST(Startup, MissingResourceLibraryIsNamed) {
  setMotorTypeValue(-1);
  std::wstring dir = makeRunDirectory(nullptr);
  writeTextFile(dir + L"\\ParmDef.cfg", "MODE:QQQ\r\nPn0100:\r\nD:\"x\"{2,0,100}\r\n");
  AppRun run;
  startApp(run, dir);
  std::wstring text;
  HWND box = waitMessageBox(&text);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(text.find(L"res_QQQ.dll"), std::wstring::npos);
  EXPECT_EQ(FindWindowW(MAIN_WINDOW_CLASS, nullptr), nullptr);
  clickButton(box, IDOK);
  ASSERT_TRUE(waitAppEnd(run));
}
