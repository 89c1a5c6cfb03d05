// What every modeless dialog does the same way: its state kept with its window
// (DWLP_USER, set at WM_INITDIALOG, freed at WM_NCDESTROY) and one way to close.
// Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

#include "toolkit/list_view.h"
#include "toolkit/window_messages.h"
#include "toolkit/worker.h"

// A worker's notice to its dialog (UM_WORKER_NOTICE), posted only while its run
// is on: once the dialog has stopped it, nothing reaches the window.
inline bool workerPost(const WorkerToken& token, WPARAM wParam, LPARAM lParam) {
  return token.reach([&](void* target) { PostMessageW(static_cast<HWND>(target), UM_WORKER_NOTICE, wParam, lParam); });
}

template <class State>
State* dialogState(HWND dialog) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
}
template <class State>
State* attachDialogState(HWND dialog, State* state) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  return state;
}
// At WM_NCDESTROY: a Worker in the state stops its run as the state goes, so a
// dialog destroyed without its close still ends its worker.
template <class State>
void freeDialogState(HWND dialog) {
  delete dialogState<State>(dialog);
  SetWindowLongPtrW(dialog, DWLP_USER, 0);
}

// Creates the modeless dialog of `templateId` from the resource library, owned by
// `parent`, and shows it. Null when it cannot be made.
HWND openModeless(HWND parent, uint16_t templateId, DLGPROC procedure, LPARAM parameter);

// Stops `worker` (may be null) without waiting for it, keeps the widths of `list` in `widths` (both may
// be null), then posts UM_DIALOG_CLOSED with `templateId` to the owner window,
// which destroys the dialog.
void closeModeless(HWND dialog, uint16_t templateId, Worker* worker, HWND list, ColumnWidths* widths);
