// The point-table setting (129): writes one point's speed and, when chosen, its
// target position to the module, and tells an open list to read that point again.
#include <windows.h>

#include "editing/editing_dialogs.h"
#include "editing/point_rows.h"
#include "files/settings.h"
#include "link/request.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

struct PointSettingState {
  uint16_t valueFormat = 0;   // copied at opening; used until the dialog closes
  ValueHistory speedHistory{};  // the block's copy goes back at Cancel
};

// The history's entries into the combo's list, unchanged, nothing selected.
void fillSpeedCombo(HWND dialog, const PointSettingState* state) {
  HWND combo = GetDlgItem(dialog, IDC_POINT_SETTING_SPEED);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < valueHistoryCount(state->speedHistory); ++i) {
    char text[VALUE_TEXT_SIZE];
    formatValueHistoryEntry(state->speedHistory, i, state->valueFormat, text);
    wchar_t wide[VALUE_TEXT_SIZE];
    sjisToWide(text, wide, VALUE_TEXT_SIZE);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
  }
}

void openWith(HWND dialog, PointSettingState* state) {
  CenterDialog(dialog, 0);
  state->valueFormat = environmentSettings().valueFormat;
  const PointSettingArea& remembered = g_settings.pointSetting;
  state->speedHistory = remembered.speedHistory;
  PointSettingTexts texts;
  pointSettingTexts(remembered, state->valueFormat, &texts);
  SendDlgItemMessageW(dialog, IDC_POINT_SETTING_NUMBER, EM_LIMITTEXT, POINT_NUMBER_SHOW_FORMAT & 0xF, 0);
  SetItemText(dialog, IDC_POINT_SETTING_NUMBER, texts.pointNumber);
  fillSpeedCombo(dialog, state);
  SendDlgItemMessageW(dialog, IDC_POINT_SETTING_SPEED, CB_LIMITTEXT, state->valueFormat & 0xF, 0);
  SetItemText(dialog, IDC_POINT_SETTING_SPEED, texts.speed);
  SendDlgItemMessageW(dialog, IDC_POINT_SETTING_POSITION, EM_LIMITTEXT, state->valueFormat & 0xF, 0);
  SetItemText(dialog, IDC_POINT_SETTING_POSITION, texts.position);
  SetRadioGroup(dialog, IDC_POINT_SETTING_CURRENT, remembered.positionChoice);
  SetSpeedUnitLabel(dialog, IDC_POINT_SETTING_SPEED_UNIT);
  SetPositionUnitLabel(dialog, IDC_POINT_SETTING_POSITION_UNIT);
}

void setPoint(HWND dialog, PointSettingState* state) {
  char number[FIELD_TEXT_SIZE] = {}, speed[FIELD_TEXT_SIZE] = {}, position[FIELD_TEXT_SIZE] = {};
  GetItemTextA(dialog, IDC_POINT_SETTING_NUMBER, number, sizeof number);
  GetItemTextA(dialog, IDC_POINT_SETTING_SPEED, speed, sizeof speed);
  GetItemTextA(dialog, IDC_POINT_SETTING_POSITION, position, sizeof position);
  PointSettingInput input{number, speed, position, GetRadioGroup(dialog, IDC_POINT_SETTING_CURRENT)};
  PointSetting setting{};
  if (readPointSetting(input, state->valueFormat, &setting) != EDIT_OK) {
    ShowMessage(dialog, IDS_INVALID_INPUT, IDS_CAPTION, MB_ICONERROR);
    return;
  }
  rememberPointSetting(setting, &g_settings.pointSetting);
  applyPointSetting(setting, livePointTable());
  UpdateValueHistory(dialog, IDC_POINT_SETTING_SPEED, &state->speedHistory, static_cast<int32_t>(setting.speed),
                     state->valueFormat);
  SetNumericField(dialog, IDC_POINT_SETTING_POSITION, &setting.position, state->valueFormat);

  SetPtArguments args = setPtArguments(setting);
  if (request_SET_PT(dialog, args.pointNumber, args.speed, args.positionSource, args.targetPosition) != 0) return;
  // The main window passes this on to the list, if it is open.
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner) owner = GetParent(dialog);
  SendMessageW(owner, UM_DATA_CHANGED, IDD_POINT_LIST, setting.pointNumber);
}

}  // namespace

HWND createPointSettingDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, pointSettingDialogProc, parameter);
}

INT_PTR CALLBACK pointSettingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  PointSettingState* state = dialogState<PointSettingState>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      openWith(dialog, attachDialogState(dialog, new PointSettingState));
      return TRUE;
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wParam) == IDC_POINT_SETTING_SET) {
        setPoint(dialog, state);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        g_settings.pointSetting.speedHistory = state->speedHistory;
        closeModeless(dialog, IDD_POINT_SETTING, nullptr, nullptr, nullptr);
        return TRUE;
      }
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<PointSettingState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}
