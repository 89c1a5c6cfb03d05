// Step operation (IDD_STEP): one STEP__ forward or reverse by a step parameter or a
// typed distance; with repeat, step, return and the same direction again.
#include "operation/shared_operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct Step : OperationTraitsBase {
  static const OperationForm& form() { return kStepForm; }
  static StepArea& area() { return g_settings.step; }
  static bool startsWith(int id) { return id == IDC_OP_FORWARD || id == IDC_OP_REVERSE; }
  static void open(HWND dialog, OperationState*) {
    HWND combo = GetDlgItem(dialog, IDC_OP_STEP_PARAMETER);
    for (UINT i = 0; i < 4; ++i) {
      wchar_t* text = LoadResString(dialog, IDS_STEP_PARAM0 + i);
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L""));
      FreeResString(text);
    }
  }
};

}  // namespace

HWND createStepDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<Step>(parent, templateId);
}
