// The window side the nine operation dialogs share: forms to controls and back,
// opening, start, stop and close.
#include "operation/shared_operation_dialog.h"

#include <cstring>

#include "link/link_state.h"
#include "toolkit/dialog_rows.h"
#include "toolkit/dialog_toolkit.h"

namespace {

// Each worker reports its state changes; the dialog needs none of them to stay
// right (the state itself is shared), so the notice only wakes it.
void postRepeatState(void* context, uint16_t repeatState) {
  PostMessageW(static_cast<HWND>(context), UM_WORKER_NOTICE, repeatState, 0);
}

// The acceleration and filter lists are filled at open only: showing runs again
// after every read, and a second fill would append four more choices whose
// indexes no area can hold.
void showTypeChoice(HWND dialog, int comboId, void (*fill)(HWND, int), int index) {
  if (SendDlgItemMessageW(dialog, comboId, CB_GETCOUNT, 0, 0) > 0)
    SendDlgItemMessageW(dialog, comboId, CB_SETCURSEL, index, 0);
  else
    fill(dialog, index);
}

}  // namespace

static_assert(kRepeatRunSlots == kRepeatRunCount, "one repeat run per operation dialog");

// The table of dialogs gives each operation dialog its repeat run.
RepeatRun* operationRun(uint16_t templateId) { return repeatRunAt(repeatRunSlotOf(templateId)); }

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

namespace {

void showCommon(HWND dialog, const CommonControls& controls, bool hasRepeat) {
  SetRadioGroup(dialog, IDC_OP_ACCEL_PARAM, controls.accelMode);
  showTypeChoice(dialog, IDC_ACCEL_TYPE, FillAccelTypeCombo, controls.accelIndex);
  SetRadioGroup(dialog, IDC_OP_FILTER_PARAM, controls.filterMode);
  showTypeChoice(dialog, IDC_FILTER_TYPE, FillFilterTypeCombo, controls.filterIndex);
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

// The repeat box and stop mode: none on the jog dialog, debug mode only on the
// point-table dialog.
bool hasRepeat(const OperationForm& form, const OperationState* state) {
  return form.repeatStopOffset != kNoMember && (!form.repeatInDebugOnly || state->debugMode);
}

}  // namespace

void showForm(HWND dialog, const OperationState* state, const OperationForm& form, const void* area) {
  OperationControls c;
  showOperationFields(form, area, state->env, &c);
  showCommon(dialog, c.common, hasRepeat(form, state));
  const uint8_t* bytes = static_cast<const uint8_t*>(area);
  for (int i = 0; i < form.fieldCount; ++i) {
    const OperationField& f = form.fields[i];
    if (f.kind == kFieldRadio) {
      SetRadioGroup(dialog, f.controlId, c.choices[i]);
    } else if (f.kind == kFieldCombo) {
      SendDlgItemMessageW(dialog, f.controlId, CB_SETCURSEL, c.choices[i], 0);
    } else if (f.kind == kFieldNumber && (f.fill == kAlways || state->debugMode)) {
      // The areas are packed: a history is copied out, never referenced in place.
      ValueHistory history;
      std::memcpy(&history, bytes + f.history, sizeof history);
      fillValueCombo(dialog, f.controlId, history, c.texts[i],
                     f.format == kValueFormat ? state->env.valueFormat : f.format);
    }
  }
}

void readForm(HWND dialog, const OperationState* state, const OperationForm& form, OperationControls* c) {
  readCommon(dialog, &c->common, hasRepeat(form, state));
  for (int i = 0; i < form.fieldCount; ++i) {
    const OperationField& f = form.fields[i];
    if (f.kind == kFieldRadio) c->choices[i] = checkedIndex(dialog, f.controlId);
    else if (f.kind == kFieldCombo) c->choices[i] = comboIndex(dialog, f.controlId);
    else if (f.kind == kFieldNumber) operationText(dialog, f.controlId, c->texts[i]);
  }
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

namespace {
int stopRadioOf(HWND dialog, const OperationState* state) {
  return state->debugMode ? checkedIndex(dialog, IDC_OP_STOP_DEC) : 0;
}
}  // namespace

void startOperation(HWND dialog, OperationState* state, const MotionRequest& request, bool repeat) {
  uint8_t stopMode = operationStopMode(stopRadioOf(dialog, state), state->debugMode);
  uint16_t result = repeat ? startRepeat(state->run, dialog, request, state->env.repeatInterval, postRepeatState,
                                         dialog, stopMode)
                           : startSingleMotion(state->run, dialog, request, stopMode);
  // An earlier worker of this dialog still on its way out, or no thread: the
  // person is told rather than left with nothing happening.
  if (result == REPEAT_RUNNING || result == REPEAT_NO_THREAD)
    ShowMessage(dialog, IDS_REPEAT_RUNNING, IDS_CAPTION, MB_ICONERROR);
}

void stopOperationPressed(HWND dialog, OperationState* state) {
  stopOperation(state->run, dialog, stopRadioOf(dialog, state), state->debugMode);
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
