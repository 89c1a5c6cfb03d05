// The motion status monitor (110): the motion state text and one lamp with its
// ON/OFF text per bit of the motion status word, polled every 100 ms.
#include <windows.h>

#include "link/request.h"
#include "monitor/monitor_dialogs.h"
#include "monitor/monitor_labels.h"
#include "monitor/monitor_view.h"
#include "monitor/shared_monitor_dialog.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

struct MotionMonitorState {
  PollingMonitor monitor;
  MotionView view;
};

uint16_t readMotion(void* owner, MonitorReading* reading) {
  return request_RDMSTS(owner, &reading->motionState, &reading->motionStatusWord);
}

void showReading(HWND dialog, MotionMonitorState* state) {
  MonitorReading reading;
  if (!takeMonitorReading(state->monitor.poll.get(), &reading)) return;
  uint16_t textId = 0;
  uint16_t redraw = takeMotionReading(&state->view, reading.motionState, reading.motionStatusWord, &textId);
  if (textId) {
    wchar_t* text = LoadResString(dialog, textId);
    SetItemTextW(dialog, IDC_MOTION_STATE, text);
    FreeResString(text);
  }
  for (int bit = 0; bit < 16; ++bit)
    if (redraw & (1u << bit))
      setBitLook(dialog, MotionBitControls[bit].lampId, MotionBitControls[bit].textId,
                 (reading.motionStatusWord >> bit) & 1);
}

INT_PTR CALLBACK motionMonitorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  MotionMonitorState* state = dialogState<MotionMonitorState>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      state = attachDialogState(dialog, new MotionMonitorState);
      CenterDialog(dialog, 0);
      for (int bit = 0; bit < 16; ++bit) setTextUtf8(dialog, IDC_MOTION_LABEL0 + bit, MotionStatusBitLabels[bit]);
      startPolling(dialog, &state->monitor, readMotion);
      return TRUE;
    case UM_WORKER_NOTICE:
      if (!state) return TRUE;
      if (wParam == MONITOR_FAILED) closePolling(dialog, IDD_MOTION_MONITOR, &state->monitor);
      else showReading(dialog, state);
      return TRUE;
    case WM_DRAWITEM:
      return drawLamp(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && state) {
        closePolling(dialog, IDD_MOTION_MONITOR, &state->monitor);
        return TRUE;
      }
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<MotionMonitorState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND createMotionMonitorDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, motionMonitorProc, parameter);
}
