// The window side the nine operation dialogs share.
#include "operation/operation_dialog.h"

#include <cstring>

#include "link/link_state.h"
#include "toolkit/dialog_toolkit.h"

namespace {

constexpr uint16_t kRunTemplates[] = {IDD_JOG,            IDD_STEP,        IDD_POSITIONING,
                                      IDD_POINT_OPERATION, IDD_STATION,     IDD_EXTERNAL_SIGNAL,
                                      IDD_MULTI_SPEED,    IDD_PASS_POINT,  IDD_HOMING};
constexpr int kRunCount = sizeof kRunTemplates / sizeof kRunTemplates[0];

// Each worker reports its state changes; the dialog needs none of them to stay
// right (the state itself is shared), so the notice only wakes it.
void postRepeatState(void* context, uint16_t repeatState) {
  PostMessageW(static_cast<HWND>(context), UM_WORKER_NOTICE, repeatState, 0);
}

}  // namespace

RepeatRun* operationRun(uint16_t templateId) {
  static RepeatRun runs[kRunCount];
  for (int i = 0; i < kRunCount; ++i)
    if (kRunTemplates[i] == templateId) return &runs[i];
  return nullptr;
}

void operationText(HWND dialog, int id, char out[OPERATION_TEXT_SIZE]) {
  std::memset(out, 0, OPERATION_TEXT_SIZE);
  GetItemTextA(dialog, id, out, OPERATION_TEXT_SIZE);
}

void setOperationText(HWND dialog, int id, const char* text) {
  while (*text == ' ') ++text;   // numbers come right-aligned to their width
  SetItemText(dialog, id, text);
}

int checkedIndex(HWND dialog, int firstId) { return GetRadioGroup(dialog, firstId); }

int comboIndex(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); }

void showCommon(HWND dialog, const CommonControls& controls, bool hasRepeat) {
  SetRadioGroup(dialog, IDC_OP_ACCEL_PARAM, controls.accelMode);
  FillAccelTypeCombo(dialog, controls.accelIndex);
  SetRadioGroup(dialog, IDC_OP_FILTER_PARAM, controls.filterMode);
  FillFilterTypeCombo(dialog, controls.filterIndex);
  if (!hasRepeat) return;
  CheckDlgButton(dialog, IDC_OP_REPEAT, controls.repeat ? BST_CHECKED : BST_UNCHECKED);
  SetRadioGroup(dialog, IDC_OP_STOP_DEC, controls.stopMode);
}

void readCommon(HWND dialog, CommonControls* controls, bool hasRepeat) {
  controls->accelMode = checkedIndex(dialog, IDC_OP_ACCEL_PARAM);
  controls->accelIndex = comboIndex(dialog, IDC_ACCEL_TYPE);
  controls->filterMode = checkedIndex(dialog, IDC_OP_FILTER_PARAM);
  controls->filterIndex = comboIndex(dialog, IDC_FILTER_TYPE);
  if (!hasRepeat) return;
  controls->repeat = IsDlgButtonChecked(dialog, IDC_OP_REPEAT) == BST_CHECKED ? 1 : 0;
  controls->stopMode = checkedIndex(dialog, IDC_OP_STOP_DEC);
}

void showSpeed(HWND dialog, const SpeedControls& speed) { SetRadioGroup(dialog, IDC_OP_SPEED_PARAM, speed.speedSource); }

void readSpeed(HWND dialog, SpeedControls* speed) {
  speed->speedSource = checkedIndex(dialog, IDC_OP_SPEED_PARAM);
  operationText(dialog, IDC_OP_SPEED, speed->speed);
}

void fillValueCombo(HWND dialog, int id, const ValueHistory& history, const char* text, uint16_t format) {
  HWND combo = GetDlgItem(dialog, id);
  if (!combo) return;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < valueHistoryCount(history); ++i) {
    char entry[VALUE_TEXT_SIZE];
    formatValueHistoryEntry(history, i, format, entry);
    const char* shown = entry;
    while (*shown == ' ') ++shown;
    wchar_t wide[VALUE_TEXT_SIZE];
    sjisToWide(shown, wide, VALUE_TEXT_SIZE);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
  }
  SendMessageW(combo, CB_LIMITTEXT, OPERATION_TEXT_SIZE - 1, 0);
  setOperationText(dialog, id, text);
}

void openOperation(HWND dialog, OperationState* state, uint16_t templateId) {
  CenterDialog(dialog, 0);
  state->templateId = templateId;
  state->env = environmentSettings();
  state->debugMode = g_mode.debugMode.load() != 0;
  state->run = operationRun(templateId);
  if (GetDlgItem(dialog, IDC_OP_SPEED_UNIT)) SetSpeedUnitLabel(dialog, IDC_OP_SPEED_UNIT);
  if (GetDlgItem(dialog, IDC_OP_POSITION_UNIT)) SetPositionUnitLabel(dialog, IDC_OP_POSITION_UNIT);
}

void showRepeatInterval(HWND dialog, const OperationState* state) {
  char text[OPERATION_TEXT_SIZE];
  showOperationNumber(state->env.repeatInterval, INTERVAL_FORMAT, text);
  setOperationText(dialog, IDC_OP_INTERVAL, text);
}

void startOperation(HWND dialog, OperationState* state, const MotionRequest& request, bool repeat) {
  if (!repeat) {
    sendMotionRequest(dialog, request);
    return;
  }
  uint16_t result = startRepeat(state->run, dialog, request, state->env.repeatInterval, postRepeatState, dialog);
  if (result == REPEAT_RUNNING) ShowMessage(dialog, IDS_REPEAT_RUNNING, IDS_CAPTION, MB_ICONERROR);
}

void stopOperationPressed(HWND dialog, OperationState* state) {
  int stopRadio = state->debugMode ? checkedIndex(dialog, IDC_OP_STOP_DEC) : 0;
  stopOperation(state->run, dialog, stopRadio, state->debugMode);
}

void closeOperation(HWND dialog, OperationState* state, HWND list) {
  if (repeatActive(state->run)) {
    ShowMessage(dialog, IDS_REPEAT_RUNNING, IDS_CAPTION, MB_ICONERROR);
    return;
  }
  // A repeat that ended by itself left its finished thread to be joined.
  endRepeat(state->run, 0);
  closeModeless(dialog, state->templateId, nullptr, list, state->widths);
}

void endOperationWork(OperationState* state) { endRepeat(state->run, 0); }

void showInvalidInput(HWND dialog) { ShowMessage(dialog, IDS_INVALID_INPUT, IDS_CAPTION, MB_ICONERROR); }
