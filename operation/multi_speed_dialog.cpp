// Multi-speed positioning (IDD_MULTI_SPEED): POS_MS, a move whose speed changes at up to 15
// positions, edited in the table (debug mode only).
#include "operation/shared_operation_dialog.h"

#include <commctrl.h>
#include "operation/operation_dialogs.h"
#include "operation/speed_change_table.h"

namespace {

// Kept for the rest of the run, as the user dragged them.
ColumnWidths g_tableWidths{3, {30, 141, 141}};

void clearTableFields(HWND dialog) {
  char number[4];
  speedChangeNumberText(0, number);
  SetItemText(dialog, IDC_OP_MS_NUMBER, number);
  SetItemText(dialog, IDC_OP_MS_POSITION, "0");
  SetItemText(dialog, IDC_OP_MS_SPEED, "0");
}

void rebuildTable(HWND dialog, const OperationState* state) {
  HWND list = GetDlgItem(dialog, IDC_LIST);
  ListViewClear(list);
  const MultiSpeedArea& area = g_settings.multiSpeed;
  for (int i = 0; i < speedChangeCount(area); ++i) {
    char number[4], position[OPERATION_TEXT_SIZE], speed[OPERATION_TEXT_SIZE];
    if (!speedChangeRow(area, i, state->env.valueFormat, number, position, speed)) break;
    const char* texts[3] = {number, position, speed};
    ListViewAppendRowBytes(list, texts, 3);
  }
}

struct MultiSpeed : OperationTraitsBase {
  static const OperationForm& form() { return kMultiSpeedForm; }
  static MultiSpeedArea& area() { return g_settings.multiSpeed; }
  static HWND list(HWND dialog) { return GetDlgItem(dialog, IDC_LIST); }
  static void open(HWND dialog, OperationState* state) {
    if (!state->debugMode) return;   // the table is sent empty outside debug mode
    state->widths = &g_tableWidths;
    const UINT columns[3] = {IDS_SPEED_CHANGE_COL0, IDS_SPEED_CHANGE_COL0 + 1, IDS_SPEED_CHANGE_COL0 + 2};
    ListViewSetup(GetDlgItem(dialog, IDC_LIST), dialog, columns, g_tableWidths, 0x6, false);
    SetPositionUnitLabel(dialog, IDC_OP_MS_POSITION_UNIT);
    SetSpeedUnitLabel(dialog, IDC_OP_MS_SPEED_UNIT);
    clearTableFields(dialog);
  }
  static void showMore(HWND dialog, OperationState* state) {
    if (state->debugMode) rebuildTable(dialog, state);
  }
  // "追加", "設定" and "削除" on the table; a refused edit leaves it as it was.
  static bool command(HWND dialog, OperationState* state, int id, int) {
    if (id != IDC_OP_MS_ADD && id != IDC_OP_MS_SET && id != IDC_OP_MS_DELETE) return false;
    if (!state->debugMode) return true;
    char number[OPERATION_TEXT_SIZE], position[OPERATION_TEXT_SIZE], speed[OPERATION_TEXT_SIZE];
    operationText(dialog, IDC_OP_MS_NUMBER, number);
    operationText(dialog, IDC_OP_MS_POSITION, position);
    operationText(dialog, IDC_OP_MS_SPEED, speed);
    uint16_t format = state->env.valueFormat;
    uint16_t result = id == IDC_OP_MS_ADD   ? addSpeedChange(&area(), position, speed, format)
                      : id == IDC_OP_MS_SET ? setSpeedChange(&area(), number, position, speed, format)
                                            : deleteSpeedChange(&area(), number);
    if (result == OPERATION_OK) {
      rebuildTable(dialog, state);
      clearTableFields(dialog);
    } else if (result != OPERATION_UNCHANGED) {
      showInvalidInput(dialog);
    }
    return true;
  }
  // A click on a row puts its entry into the edit fields.
  static void notify(HWND dialog, OperationState* state, const NMHDR* header) {
    if (!state->debugMode || header->idFrom != IDC_LIST || header->code != static_cast<UINT>(NM_CLICK)) return;
    int row = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    char number[4], position[OPERATION_TEXT_SIZE], speed[OPERATION_TEXT_SIZE];
    if (row < 0 || !speedChangeRow(area(), row, state->env.valueFormat, number, position, speed)) return;
    setOperationText(dialog, IDC_OP_MS_POSITION, position);
    setOperationText(dialog, IDC_OP_MS_SPEED, speed);
    SetItemText(dialog, IDC_OP_MS_NUMBER, number);
  }
};

}  // namespace

HWND createMultiSpeedDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<MultiSpeed>(parent, templateId);
}
