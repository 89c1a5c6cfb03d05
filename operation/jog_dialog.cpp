// Constant-speed operation (IDD_JOG): hold-to-run. Pressing "正転" or "逆転" sends
// FEED__; the hold ends with exactly one STOP__ DEC_ however it ends: the button
// let go, the mouse capture lost, the dialog deactivated or closed, Esc, a
// definition-file switch or the program closing.
#include "operation/shared_operation_dialog.h"
#include "operation/operation_dialogs.h"

#include "operation/jog_control.h"

namespace {

JogArea& jogArea() { return g_settings.jog; }

bool isJogButton(WPARAM id) { return id == IDC_OP_FORWARD || id == IDC_OP_REVERSE; }

uint8_t directionOf(int button) { return button == IDC_OP_FORWARD ? MOTION_FORWARD : MOTION_REVERSE; }

void show(HWND dialog, const OperationState* state) { showForm(dialog, state, kJogForm, &jogArea()); }

void press(HWND dialog, OperationState* state, int button) {
  // One hold at a time; a repaint while held is no new press.
  if (jogHeld(MOTION_FORWARD) || jogHeld(MOTION_REVERSE)) return;
  OperationControls c{};
  readForm(dialog, state, kJogForm, &c);
  if (readOperationFields(kJogForm, c, state->env, state->debugMode, &jogArea()) != OPERATION_OK) {
    // Let go of the button first: the box takes the mouse, and nothing moves.
    SendDlgItemMessageW(dialog, button, BM_SETSTATE, FALSE, 0);
    ReleaseCapture();
    showInvalidInput(dialog);
    return;
  }
  show(dialog, state);
  jogPress(dialog, directionOf(button), jogArea(), state->env, state->debugMode);
}

void paintButton(HWND dialog, const DRAWITEMSTRUCT* item) {
  bool forward = item->CtlID == IDC_OP_FORWARD;
  LRESULT buttonState = SendMessageW(item->hwndItem, BM_GETSTATE, 0, 0);
  int bitmap = (buttonState & BST_PUSHED) ? (forward ? IDB_JOG_FWD_DOWN : IDB_JOG_REV_DOWN)
               : (buttonState & BST_FOCUS) ? (forward ? IDB_JOG_FWD_FOCUS : IDB_JOG_REV_FOCUS)
                                           : (forward ? IDB_JOG_FWD_UP : IDB_JOG_REV_UP);
  DrawBitmapItem(dialog, item->CtlID, bitmap);
  PostMessageW(dialog, UM_JOG_EDGE, item->CtlID, (item->itemState & ODS_SELECTED) ? 1 : 0);
}

// The buttons tell when they lose the mouse without being let go over them.
LRESULT CALLBACK jogButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC original = reinterpret_cast<WNDPROC>(GetPropW(button, L"qzJogProc"));
  if (message == WM_CAPTURECHANGED || message == WM_CANCELMODE)
    PostMessageW(GetParent(button), UM_JOG_EDGE, GetDlgCtrlID(button), 0);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(button, L"qzJogProc");
  }
  return CallWindowProcW(original, button, message, wParam, lParam);
}

void watchButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  LONG_PTR original = SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(jogButtonProc));
  SetPropW(button, L"qzJogProc", reinterpret_cast<HANDLE>(original));
}

INT_PTR CALLBACK jogDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  OperationState* state = dialogState<OperationState>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      state = attachDialogState(dialog, new OperationState);
      openOperation(dialog, state, IDD_JOG);
      fixOperationArea(kJogForm, &jogArea(), state->debugMode);
      openValueHistories(kJogForm, &jogArea(), state->debugMode);
      show(dialog, state);
      watchButton(dialog, IDC_OP_FORWARD);
      watchButton(dialog, IDC_OP_REVERSE);
      return TRUE;
    case WM_DRAWITEM:
      if (isJogButton(wParam)) {
        paintButton(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      return FALSE;
    case UM_JOG_EDGE:
      // Presses and releases are handled in the order they were drawn.
      if (!state || !isJogButton(wParam)) return TRUE;
      if (lParam) press(dialog, state, static_cast<int>(wParam));
      else jogRelease(dialog, directionOf(static_cast<int>(wParam)), nullptr);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) jogReleaseAll(dialog);
      return FALSE;
    case UM_END_WORK:
      jogReleaseAll(dialog);
      return TRUE;
    case DM_GETDEFID:
      return NoDefaultButton(dialog);
    case WM_COMMAND:
      if (!state || LOWORD(wParam) != IDCANCEL) return FALSE;
      jogReleaseAll(dialog);
      closeModeless(dialog, IDD_JOG, nullptr, nullptr, nullptr);
      return TRUE;
    case WM_DESTROY:
      jogReleaseAll(dialog);   // however the window goes
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<OperationState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND createJogDialog(HWND parent, uint16_t templateId, LPARAM) {
  return openModeless(parent, templateId, jogDialogProc, 0);
}
