// The parameter lists and editors against qzsim: which rows the lists hold, and
// what each editor kind sends (and does not send) when "設定" is pressed.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>

#include "app_driver.h"
#include "editing/parameter_rows.h"
#include "files/definitions.h"
#include "protocol/number_format.h"
#include "resources/resource.h"
#include "toolkit/window_messages.h"

namespace {

std::wstring wide(const char* text) {
  wchar_t out[256] = {};
  MultiByteToWideChar(932, 0, text, -1, out, 256);
  return out;
}

std::string hex(uint32_t value, int digits) {
  char text[12];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// The rows the list should hold: every listed definition qzsim holds and does
// not refuse, with qzsim's value written as the row shows it, in table order.
std::vector<std::vector<std::wstring>> expectedRows(uint16_t templateId, uint16_t rejected) {
  std::vector<std::vector<std::wstring>> rows;
  for (uint16_t k = 0; k < g_parameterTable.count; ++k) {
    ParameterDefinition def = g_parameterTable.entries[k];
    if (!listShowsDefinition(templateId, def) || def.number == rejected) continue;
    std::string reply;
    if (!simReply(("GET PARAM " + hex(def.number, 4)).c_str(), &reply)) continue;
    def.value = static_cast<int32_t>(std::stoul(reply, nullptr, 16));
    ParameterRowTexts texts;
    parameterRowTexts(def, &texts);
    rows.push_back({wide(texts.columns[0]), wide(texts.columns[1]), wide(texts.columns[2]), wide(texts.columns[3])});
  }
  return rows;
}

uint32_t simValue(uint16_t number) {
  std::string reply;
  if (!simReply(("GET PARAM " + hex(number, 4)).c_str(), &reply)) return 0xDEADBEEF;
  return static_cast<uint32_t>(std::stoul(reply, nullptr, 16));
}

std::wstring rowValue(HWND listDialog, const wchar_t* number) {
  HWND list = GetDlgItem(listDialog, IDC_LIST);
  int row = rowOfNumber(list, number);
  if (row < 0) return L"(no row)";
  std::wstring text = listViewRows(list, 3)[row][2];
  return text.substr(text.find_first_not_of(L' ') == std::wstring::npos ? 0 : text.find_first_not_of(L' '));
}

}  // namespace

// Both lists hold a row for every parameter of their range qzsim answers for,
// with its value, in table order; a number qzsim refuses has none. A refresh
// rewrites a row only when it belongs to the loaded table.
TEST(ParameterLists, RowForEveryParameterTheModuleHolds) {
  ASSERT_TRUE(sim("RESET"));
  ASSERT_TRUE(sim("REJECT 0003"));
  ASSERT_TRUE(sim("REJECT 0801"));
  ASSERT_TRUE(sim("SET PARAM 0100 00000190"));   // 40.0 Hz: not the minimum
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));

  struct Case { int command; uint16_t templateId; uint16_t rejected; const wchar_t* rejectedText; const char* shot; };
  for (const Case& c : {Case{IDM_SERVO_PARAM_LIST, IDD_SERVO_PARAM_LIST, 0x0003, L"Pn0003", "servo_param_list"},
                        Case{IDM_OPTION_PARAM_LIST, IDD_OPTION_PARAM_LIST, 0x0801, L"Pn0801", "option_param_list"}}) {
    HWND dialog = openCompleteList(c.command, c.templateId);
    ASSERT_NE(dialog, nullptr) << c.shot;
    auto rows = listViewRows(GetDlgItem(dialog, IDC_LIST), PARAMETER_COLUMNS);
    auto expected = expectedRows(c.templateId, c.rejected);
    EXPECT_GT(expected.size(), 3u);
    EXPECT_EQ(rows, expected) << c.shot;
    EXPECT_EQ(rowOfNumber(GetDlgItem(dialog, IDC_LIST), c.rejectedText), -1);
    EXPECT_EQ(controlText(dialog, IDC_PROGRESS_LABEL), L"");
    saveScreenshot(dialog, c.shot);
    if (c.templateId == IDD_SERVO_PARAM_LIST) {
      // A refresh re-reads the module's value; one taken under an earlier
      // definition table refreshes nothing.
      uint16_t index = 0;
      while (index < g_parameterTable.count && g_parameterTable.entries[index].number != 0x0100) ++index;
      ASSERT_TRUE(sim("SET PARAM 0100 000001F4"));   // 50.0 Hz
      ParameterRefresh stale{definitionGeneration() - 1, index};
      SendMessageTimeoutW(mainWindow(), UM_DATA_CHANGED, IDD_SERVO_PARAM_LIST,
                          static_cast<LPARAM>(packParameterRefresh(stale)), SMTO_BLOCK, 15000, nullptr);
      EXPECT_EQ(rowValue(dialog, L"Pn0100"), L"40.0");
      ParameterRefresh current{definitionGeneration(), index};
      SendMessageTimeoutW(mainWindow(), UM_DATA_CHANGED, IDD_SERVO_PARAM_LIST,
                          static_cast<LPARAM>(packParameterRefresh(current)), SMTO_BLOCK, 15000, nullptr);
      EXPECT_EQ(rowValue(dialog, L"Pn0100"), L"50.0");
    }
    clickButton(dialog, IDCANCEL);
    ASSERT_TRUE(waitGone(dialog));
  }
  EXPECT_TRUE(closeWithYes(run));
  sim("RESET");
}

// Each editor kind once: D refuses a value beyond its limits with box 256 and
// sends nothing, then sends an accepted one; H, B, N and S write what their
// controls compose; every accepted value rewrites its row.
TEST(ParameterEditors, EachKindWritesWhatItsControlsCompose) {
  ASSERT_TRUE(sim("RESET"));
  // Bits no field covers are set, so a written 0 there shows they are cleared;
  // bits 8-11 hold F, a choice the bit editor does not offer.
  ASSERT_TRUE(sim("SET PARAM 0002 0000FFF2"));
  setMotorTypeValue(-1);
  AppRun run;
  ASSERT_TRUE(startConnected(run, makeRunDirectory()));
  HWND list = openCompleteList(IDM_SERVO_PARAM_LIST, IDD_SERVO_PARAM_LIST);
  ASSERT_NE(list, nullptr);

  // D: Pn0100, 1.0 to 2000.0 Hz in tenths.
  HWND editor = openEditor(list, L"Pn0100", L"パラメータ編集(10進数値)", true);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(controlText(editor, IDC_PARAM_NUMBER), L"Pn0100");
  EXPECT_EQ(controlText(editor, IDC_PARAM_UNIT), L"[Hz]");
  EXPECT_EQ(SendDlgItemMessageW(editor, IDC_PARAM_VALUE, EM_GETLIMITTEXT, 0, 0),
            formatWidth(findDefinition(0x0100)->format));
  saveScreenshot(editor, "param_edit_decimal");
  ASSERT_TRUE(sim("LOG CLEAR"));
  setControlText(editor, IDC_PARAM_VALUE, L"2000.1");
  clickButton(editor, IDC_PARAM_SET);
  std::wstring text;
  HWND box = waitMessageBox(&text);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(text, resourceText(IDS_INVALID_INPUT));
  clickButton(box, IDOK);
  ASSERT_TRUE(waitGone(box));
  EXPECT_EQ(simRequestLog().find("WRPARM"), std::string::npos);
  EXPECT_TRUE(IsWindowVisible(editor));
  setControlText(editor, IDC_PARAM_VALUE, L"123.4");
  clickButton(editor, IDC_PARAM_SET);
  ASSERT_TRUE(waitGone(editor));
  EXPECT_NE(simRequestLog().find("<STX>WRPARM01CM:NORMD:Pn0100000004D2<CR>"), std::string::npos) << simRequestLog();
  EXPECT_EQ(rowValue(list, L"Pn0100"), L"123.4");

  // H: Pn0005, four hexadecimal digits.
  editor = openEditor(list, L"Pn0005", L"パラメータ編集(16進数値)", false);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(SendDlgItemMessageW(editor, IDC_PARAM_VALUE, EM_GETLIMITTEXT, 0, 0), 4);
  saveScreenshot(editor, "param_edit_hex");
  setControlText(editor, IDC_PARAM_VALUE, L"A5C3");
  clickButton(editor, IDC_PARAM_SET);
  ASSERT_TRUE(waitGone(editor));
  EXPECT_EQ(simValue(0x0005), 0xA5C3u);
  EXPECT_EQ(rowValue(list, L"Pn0005"), L"A5C3");

  // B: Pn0002, fields at bits 0, 1, 4-5 and 8-11; its last field has five
  // choices of which four are offered, and the fifth, F, is held: it is listed
  // after them, and the field left alone keeps it.
  editor = openEditor(list, L"Pn0002", L"パラメータ編集(ビットデータ)", false);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(comboCount(editor, IDC_PARAM_COMBO4), 5);
  EXPECT_EQ(comboSelection(editor, IDC_PARAM_COMBO4), 4);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_PARAM_COMBO5)));
  EXPECT_EQ(comboSelection(editor, IDC_PARAM_COMBO2), 1);   // bit 1 set
  saveScreenshot(editor, "param_edit_bits");
  selectComboItem(editor, IDC_PARAM_COMBO1, 1);   // bit 0 = 1
  selectComboItem(editor, IDC_PARAM_COMBO2, 0);   // bit 1 = 0
  selectComboItem(editor, IDC_PARAM_COMBO3, 3);   // bits 4-5 = 3
  clickButton(editor, IDC_PARAM_SET);
  ASSERT_TRUE(waitGone(editor));
  EXPECT_EQ(simValue(0x0002), 0x0F31u);
  EXPECT_EQ(rowValue(list, L"Pn0002"), L"0F31");

  // N: Pn0000, digits 0-2 defined, digit 3 row disabled.
  editor = openEditor(list, L"Pn0000", L"パラメータ編集(ニブルデータ)", false);
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_PARAM_COMBO4)));
  saveScreenshot(editor, "param_edit_digits");
  selectComboItem(editor, IDC_PARAM_COMBO1, 1);
  selectComboItem(editor, IDC_PARAM_COMBO2, 2);
  selectComboItem(editor, IDC_PARAM_COMBO3, 3);
  clickButton(editor, IDC_PARAM_SET);
  ASSERT_TRUE(waitGone(editor));
  EXPECT_EQ(simValue(0x0000), 0x0321u);
  EXPECT_EQ(rowValue(list, L"Pn0000"), L"0321");

  // S: Pn0003, the fifth choice.
  editor = openEditor(list, L"Pn0003", L"パラメータ編集(選択データ)", false);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(comboCount(editor, IDC_PARAM_SELECTION), 5);
  saveScreenshot(editor, "param_edit_selection");
  selectComboItem(editor, IDC_PARAM_SELECTION, 4);
  clickButton(editor, IDC_PARAM_SET);
  ASSERT_TRUE(waitGone(editor));
  EXPECT_EQ(simValue(0x0003), 0x0004u);
  EXPECT_EQ(rowValue(list, L"Pn0003"), L"0004");

  clickButton(list, IDCANCEL);
  ASSERT_TRUE(waitGone(list));
  EXPECT_TRUE(closeWithYes(run));
  sim("RESET");
}
