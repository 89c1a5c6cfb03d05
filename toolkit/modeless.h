// What every modeless dialog does the same way: its state kept with its window
// (DWLP_USER, set at WM_INITDIALOG, freed at WM_NCDESTROY) and one way to close.
// Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

#include "toolkit/list_view.h"
#include "toolkit/worker.h"

// How long a closing dialog waits for its worker to finish the request it is in
// before leaving it detached (it then ends without touching the dialog).
constexpr uint32_t kWorkerStopWaitMs = 3000;

template <class State>
State* dialogState(HWND dialog) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
}
template <class State>
State* attachDialogState(HWND dialog, State* state) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  return state;
}
// At WM_NCDESTROY: the worker has been stopped by closeModeless (or the dialog
// never started one), so the state can go.
template <class State>
void freeDialogState(HWND dialog) {
  delete dialogState<State>(dialog);
  SetWindowLongPtrW(dialog, DWLP_USER, 0);
}

// Creates the modeless dialog of `templateId` from the resource library, owned by
// `parent`, and shows it. Null when it cannot be made.
HWND openModeless(HWND parent, uint16_t templateId, DLGPROC procedure, LPARAM parameter);

// Stops `worker` (may be null), keeps the widths of `list` in `widths` (both may
// be null), then posts UM_DIALOG_CLOSED with `templateId` to the owner window,
// which destroys the dialog.
void closeModeless(HWND dialog, uint16_t templateId, Worker* worker, HWND list, ColumnWidths* widths);
