// Module reset (132) and its wait dialog (198): the wait dialog plays the busy
// animation while a worker sends RSTMDL, and ends when the reply (or the failure,
// after its box) is in.
#include <windows.h>
#include <commctrl.h>

#include "link/request.h"
#include "resources/resource.h"
#include "system/system_dialogs.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

struct ResetWaitState {
  Worker worker;
};

void sendReset(WorkerToken token, void*) {
  HWND dialog = static_cast<HWND>(token.target());
  if (!token.running()) return;
  uint16_t status = request_RSTMDL(dialog);   // a failure shows its box here
  workerPost(token, status, 0);
}

void endWait(HWND dialog) {
  Animate_Stop(GetDlgItem(dialog, IDC_RESET_ANIMATION));
  EndDialog(dialog, 1);
}

}  // namespace

INT_PTR CALLBACK resetWaitDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  ResetWaitState* state = dialogState<ResetWaitState>(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      state = attachDialogState(dialog, new ResetWaitState);
      CenterDialog(dialog, 0);
      HWND animation = GetDlgItem(dialog, IDC_RESET_ANIMATION);
      Animate_OpenEx(animation, ResourceInstance(dialog), MAKEINTRESOURCEW(IDR_BUSY_AVI));
      Animate_Play(animation, 0, -1, -1);
      // The request runs on a worker, so the animation and the dialog stay live.
      if (!workerStart(&state->worker, dialog, sendReset, nullptr)) endWait(dialog);
      return TRUE;
    }
    case UM_WORKER_NOTICE:
      endWait(dialog);
      return TRUE;
    case WM_COMMAND:
      // Nothing ends the wait but the reply: the reset is already on its way.
      return TRUE;
    case WM_DESTROY:
      if (state) workerStop(&state->worker);
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<ResetWaitState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

HWND createModuleResetDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, moduleResetDialogProc, parameter);
}

INT_PTR CALLBACK moduleResetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CenterDialog(dialog, 0);
      // "リセット" is the only control: given the focus, an Enter pressed right
      // after opening would reset the module. No control has it until one is chosen.
      return FALSE;
    case DM_GETDEFID:
      return NoDefaultButton(dialog);
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_RESET_START) {
        // The wait dialog holds only the main window modal; this dialog is kept
        // from starting a second reset meanwhile.
        HWND owner = GetWindow(dialog, GW_OWNER);
        EnableWindow(dialog, FALSE);
        DialogBoxParamW(ResourceInstance(dialog), MAKEINTRESOURCEW(IDD_RESET_WAIT), owner ? owner : dialog,
                        resetWaitDialogProc, 0);
        EnableWindow(dialog, TRUE);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        closeModeless(dialog, IDD_MODULE_RESET, nullptr, nullptr, nullptr);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
