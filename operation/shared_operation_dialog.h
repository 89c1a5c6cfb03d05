// What the nine operation dialogs share on the window side: a form's controls moved
// to and from their plain values, the value combos, opening, start, stop and close.
// Each dialog file gives a small traits record and uses operationDialogProc<Traits>;
// the decisions stay in operation_fields.h, motion_request.h and repeat_worker.h.
// Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

#include "files/settings.h"
#include "operation/motion_request.h"
#include "operation/operation_fields.h"
#include "operation/repeat_worker.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/list_view.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

// Kept with the dialog's window from WM_INITDIALOG to WM_NCDESTROY.
struct OperationState {
  uint16_t templateId = 0;
  EnvironmentSettings env{};   // copied at open; later changes need a reopen
  bool debugMode = false;
  RepeatRun* run = nullptr;    // process-wide, one per dialog
  ColumnWidths* widths = nullptr;   // multi-speed table, kept for the run
};

// The repeat run of a dialog, process-wide so that a worker left detached after
// its dialog went can still end on its own.
RepeatRun* operationRun(uint16_t templateId);

// Control texts and values.
void operationText(HWND dialog, int id, char out[OPERATION_TEXT_SIZE]);
void setOperationText(HWND dialog, int id, const char* text);
int checkedIndex(HWND dialog, int firstId);   // radio group, -1 when none
int comboIndex(HWND dialog, int id);          // CB_GETCURSEL

// The form's fields of `area` into the controls (value combos filled as the form
// says for this mode), and the controls' values back for readOperationFields.
void showForm(HWND dialog, const OperationState* state, const OperationForm& form, const void* area);
void readForm(HWND dialog, const OperationState* state, const OperationForm& form, OperationControls* controls);

// A value combo's list from its history, its edit text set to `text`.
void fillValueCombo(HWND dialog, int id, const ValueHistory& history, const char* text, uint16_t format);

// Opening steps every dialog takes: centre, copy the environment and the debug
// flag, the unit labels the template has.
void openOperation(HWND dialog, OperationState* state, uint16_t templateId);
// The repeat interval in the read-only text.
void showRepeatInterval(HWND dialog, const OperationState* state);

// Start: IDS_REPEAT_RUNNING while a repeat runs; the motion once, or the repeat when the
// area's repeat check is set. The request was built from fields read already.
void startOperation(HWND dialog, OperationState* state, const MotionRequest& request, bool repeat);
// Stop: always sends STOP__, whatever the other fields hold.
void stopOperationPressed(HWND dialog, OperationState* state);
// Close by the user: IDS_REPEAT_RUNNING while repeating, else the dialog goes.
void closeOperation(HWND dialog, OperationState* state, HWND list);
// The main window's request before it closes every dialog: end the repeat now.
void endOperationWork(OperationState* state);

void showInvalidInput(HWND dialog);

// Traits give: form() (the dialog's field table), area(), and optionally open()
// and showMore() (what the form does not hold, at open and after every read),
// command() and notify() for controls of their own.
template <class T>
void showOperation(HWND dialog, OperationState* state) {
  showForm(dialog, state, T::form(), &T::area());
  T::showMore(dialog, state);
}

template <class T>
void startPressed(HWND dialog, OperationState* state, uint8_t direction) {
  if (repeatActive(state->run)) {
    ShowMessage(dialog, IDS_REPEAT_RUNNING, IDS_CAPTION, MB_ICONERROR);
    return;
  }
  OperationControls controls{};
  readForm(dialog, state, T::form(), &controls);
  if (readOperationFields(T::form(), controls, state->env, state->debugMode, &T::area()) != OPERATION_OK) {
    showInvalidInput(dialog);
    return;
  }
  showOperation<T>(dialog, state);
  MotionRequest request{};
  if (buildMotionRequest(T::form(), &T::area(), state->debugMode, direction, &request) != 0) {
    showInvalidInput(dialog);
    return;
  }
  startOperation(dialog, state, request, T::area().repeatStop.repeat != 0);
}

template <class T>
INT_PTR CALLBACK operationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  OperationState* state = dialogState<OperationState>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      state = attachDialogState(dialog, new OperationState);
      openOperation(dialog, state, T::form().templateId);
      // The interval and the repeat box of a form that repeats in debug mode only.
      if (!T::form().repeatInDebugOnly || state->debugMode) showRepeatInterval(dialog, state);
      fixOperationArea(T::form(), &T::area(), state->debugMode);
      openValueHistories(T::form(), &T::area(), state->debugMode);
      T::open(dialog, state);
      showOperation<T>(dialog, state);
      return TRUE;
    case WM_COMMAND: {
      if (!state) return FALSE;
      int id = LOWORD(wParam);
      if (id == IDC_OP_STOP) {
        stopOperationPressed(dialog, state);
        return TRUE;
      }
      if (id == IDCANCEL) {
        closeOperation(dialog, state, T::list(dialog));
        return TRUE;
      }
      if (T::startsWith(id)) {
        startPressed<T>(dialog, state, id == IDC_OP_REVERSE ? MOTION_REVERSE : MOTION_FORWARD);
        return TRUE;
      }
      return T::command(dialog, state, id, HIWORD(wParam)) ? TRUE : FALSE;
    }
    case WM_NOTIFY:
      if (!state) return FALSE;
      T::notify(dialog, state, reinterpret_cast<const NMHDR*>(lParam));
      return FALSE;
    case UM_END_WORK:
      if (state) endOperationWork(state);
      return TRUE;
    case DM_GETDEFID:
      return NoDefaultButton(dialog);
    case WM_NCDESTROY:
      freeDialogState<OperationState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

// Defaults for traits without controls of their own.
struct OperationTraitsBase {
  static void showMore(HWND, OperationState*) {}
  static bool startsWith(int id) { return id == IDC_OP_START; }
  static bool command(HWND, OperationState*, int, int) { return false; }
  static void notify(HWND, OperationState*, const NMHDR*) {}
  static HWND list(HWND) { return nullptr; }
  static void open(HWND, OperationState*) {}
};

template <class T>
HWND createOperationDialog(HWND parent, uint16_t templateId) {
  return openModeless(parent, templateId, operationDialogProc<T>, 0);
}
