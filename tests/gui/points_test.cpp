// The point-table list and setting against qzsim: the list reads all 50 points,
// the setting sends what the person chose (and nothing for a bad point No.), and
// an open list reads a point again after it was set.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "app_driver.h"
#include "resources/resource.h"

namespace {
HWND g_list = nullptr;

bool listFull() { return listViewRows(GetDlgItem(g_list, IDC_LIST), 3).size() == 50; }

// Presses "設定" and, when a box comes, returns its text after answering it.
std::wstring pressSet(HWND dialog) {
  clickButton(dialog, IDC_POINT_SETTING_SET);
  std::wstring text;
  HWND box = waitMessageBox(&text, 1500);
  if (!box) return L"";
  clickButton(box, IDOK);
  waitGone(box);
  return text;
}
}  // namespace

TEST(Points, ListShowsFiftyRowsAndSettingSendsOnlyGoodEntries) {
  sim("RESET");
  // Point 3: speed 123.456, position -1.000 (value format 0.001).
  ASSERT_TRUE(sim("SET POINT 3 0001E240 FFFFFC18"));
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));

  postCommand(IDM_POINT_LIST);
  g_list = waitModeless(IDD_POINT_LIST);
  ASSERT_NE(g_list, nullptr);
  ASSERT_TRUE(waitFor(listFull, 20000));
  auto rows = listViewRows(GetDlgItem(g_list, IDC_LIST), 3);
  EXPECT_EQ(rows[0][0], L"    1");
  EXPECT_EQ(rows[49][0], L"   50");
  EXPECT_EQ(rows[2][1], L"     123.456");
  EXPECT_EQ(rows[2][2], L"      -1.000");
  saveScreenshot(g_list, "point_list");

  postCommand(IDM_POINT_SETTING);
  HWND setting = waitModeless(IDD_POINT_SETTING);
  ASSERT_NE(setting, nullptr);
  EXPECT_TRUE(isChecked(setting, IDC_POINT_SETTING_CURRENT));   // the default choice
  const std::wstring invalid = resourceText(IDS_INVALID_INPUT);

  // Point No. 0 and 51 are refused with box 256 and nothing goes to the module.
  sim("LOG CLEAR");
  setControlText(setting, IDC_POINT_SETTING_SPEED, L"10");
  setControlText(setting, IDC_POINT_SETTING_POSITION, L"2.5");
  for (const wchar_t* number : {L"0", L"51"}) {
    setControlText(setting, IDC_POINT_SETTING_NUMBER, number);
    EXPECT_EQ(pressSet(setting), invalid) << number;
  }
  Sleep(300);
  EXPECT_EQ(simRequestLog().find("SET_PT"), std::string::npos);

  // Current position: no position field. The module takes its command position
  // (0 here), which the live table (-1.000) does not know: the open list reads the
  // point again and shows it.
  setControlText(setting, IDC_POINT_SETTING_NUMBER, L"3");
  EXPECT_EQ(pressSet(setting), L"");
  std::string log = simRequestLog();
  EXPECT_NE(log.find("N:0003V:00002710<CR>"), std::string::npos) << log;
  rows = listViewRows(GetDlgItem(g_list, IDC_LIST), 3);
  EXPECT_EQ(rows[2][1], L"      10.000");
  EXPECT_EQ(rows[2][2], L"       0.000");

  // Entered position: the position goes out with it.
  sim("LOG CLEAR");
  setControlText(setting, IDC_POINT_SETTING_NUMBER, L"6");
  checkRadio(setting, IDC_POINT_SETTING_ENTERED, IDC_POINT_SETTING_CURRENT, IDC_POINT_SETTING_ENTERED);
  EXPECT_EQ(pressSet(setting), L"");
  log = simRequestLog();
  EXPECT_NE(log.find("N:0006V:00002710P:000009C4<CR>"), std::string::npos) << log;
  rows = listViewRows(GetDlgItem(g_list, IDC_LIST), 3);
  EXPECT_EQ(rows[5][2], L"       2.500");
  saveScreenshot(setting, "point_setting");

  // The module refuses the list's read after the set: the error box comes, and the
  // row still shows the point as the live table now holds it.
  ASSERT_TRUE(sim("FAULT ERROR GET_PT 0001"));
  setControlText(setting, IDC_POINT_SETTING_NUMBER, L"7");
  std::wstring box = pressSet(setting);
  EXPECT_FALSE(box.empty());
  EXPECT_NE(box, invalid);
  sim("FAULT NONE");
  rows = listViewRows(GetDlgItem(g_list, IDC_LIST), 3);
  EXPECT_EQ(rows[6][1], L"      10.000");
  EXPECT_EQ(rows[6][2], L"       2.500");

  // Closed and opened again: the last entry and the speed history come back.
  clickButton(setting, IDCANCEL);
  ASSERT_TRUE(waitGone(setting));
  postCommand(IDM_POINT_SETTING);
  setting = waitModeless(IDD_POINT_SETTING);
  ASSERT_NE(setting, nullptr);
  EXPECT_EQ(controlText(setting, IDC_POINT_SETTING_NUMBER), L"7");
  EXPECT_EQ(controlText(setting, IDC_POINT_SETTING_SPEED), L"10.000");
  EXPECT_EQ(comboCount(setting, IDC_POINT_SETTING_SPEED), 1);
  EXPECT_TRUE(isChecked(setting, IDC_POINT_SETTING_ENTERED));
  EXPECT_EQ(controlText(setting, IDC_POINT_SETTING_POSITION), L"2.500");

  ASSERT_TRUE(closeWithYes(run));
}
