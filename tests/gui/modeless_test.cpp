// Modeless dialogs under the main window: opened once, closed before the link goes
// away at exit, each with exactly one close request. A stand-in dialog registered
// for the motion monitor's template records what it receives.
#include <gtest/gtest.h>

#include <windows.h>

#include "app_driver.h"
#include "link/link.h"
#include "link/link_state.h"
#include "resources/resource.h"
#include "shell/dialog_table.h"
#include "shell/shell_state.h"
#include "shell/shell_win32.h"

namespace {
int g_created = 0;
int g_cancels = 0;
bool g_linkRunningAtCancel = false;

INT_PTR CALLBACK standInProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    ++g_cancels;
    g_linkRunningAtCancel = linkRunning();
    SendMessageW(GetParent(dialog), UM_DIALOG_CLOSED, IDD_MOTION_MONITOR, 0);
    return TRUE;
  }
  return FALSE;
}

// A captioned dialog built in memory: no resource of its own is needed.
HWND createStandIn(HWND parent, uint16_t, LPARAM) {
  alignas(4) static WORD buffer[64] = {};
  auto* t = reinterpret_cast<DLGTEMPLATE*>(buffer);
  t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
  t->cx = 120;
  t->cy = 40;
  WORD* p = reinterpret_cast<WORD*>(t + 1);
  *p++ = 0;   // no menu
  *p++ = 0;   // standard class
  for (const wchar_t* c = L"スタンドイン"; (*p++ = *c) != 0; ++c) {}
  ++g_created;
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t, parent, standInProc, 0);
}
}  // namespace

TEST(Modeless, OpenedOnceAndClosedFirstAtExit) {
  // The real monitor goes back at the end, for the tests that follow.
  ModelessFactory real = replaceModelessDialog(IDD_MOTION_MONITOR, createStandIn);
  g_created = g_cancels = 0;
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startWithoutConnecting(run, makeRunDirectory()));
  postCommand(IDM_MOTION_MONITOR);
  HWND dialog = waitDialog(L"スタンドイン");
  ASSERT_NE(dialog, nullptr);
  postCommand(IDM_MOTION_MONITOR);   // brings the open one forward
  Sleep(500);
  EXPECT_EQ(g_created, 1);

  // No keeps the program and the dialog.
  postCommand(IDM_CLOSE);
  HWND box = waitMessageBox(nullptr);
  ASSERT_NE(box, nullptr);
  clickButton(box, IDNO);
  ASSERT_TRUE(waitGone(box));
  Sleep(300);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(g_cancels, 0);

  ASSERT_TRUE(closeWithYes(run));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(g_cancels, 1);
  EXPECT_TRUE(g_linkRunningAtCancel);
  EXPECT_FALSE(IsWindow(dialog));
  replaceModelessDialog(IDD_MOTION_MONITOR, real);
}

// The poll is inside a read that will time out when the user closes: the program
// ends once that one read gives up, without a box, and the port is closed.
TEST(Modeless, ClosingWhileTheLineIsDeadEnds) {
  sim("RESET");
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));
  sim("FAULT SILENT");
  Sleep(1000);
  DWORD started = GetTickCount();
  postCommand(IDM_CLOSE);
  HWND box = waitMessageBox(nullptr);
  ASSERT_NE(box, nullptr);
  clickButton(box, IDYES);
  EXPECT_TRUE(waitAppEnd(run, 60000));
  sim("FAULT NONE");
  EXPECT_TRUE(noDialog(nullptr, 500));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
  // Only the read in flight is waited for (ten seconds), not all three attempts.
  EXPECT_LT(GetTickCount() - started, 25000u);
}

// Every menu command of a modeless dialog opens one: each slot has its row with a
// creation function in the dialog table.
TEST(Modeless, EverySlotHasItsDialog) {
  for (int slot = 0; slot < MODELESS_SLOT_COUNT; ++slot) {
    uint16_t templateId = ModelessSlotTable[slot].templateId;
    ModelessFactory factory = replaceModelessDialog(templateId, nullptr);
    EXPECT_NE(factory, nullptr) << "template " << templateId;
    replaceModelessDialog(templateId, factory);
  }
}
