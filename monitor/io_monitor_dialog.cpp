// The input (109) and output (154) signal monitors: three framed sections of 16
// bits, each with mnemonic, label, lamp and ON/OFF text, polled every 100 ms. The
// middle section is live only in debug mode.
#include <windows.h>

#include "link/link_state.h"
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

constexpr uint8_t kPortInputs = 0;    // RDPORT keyword INP
constexpr uint8_t kPortOutputs = 1;   // OUT

struct SignalMonitorState {
  PollingMonitor monitor;
  uint16_t templateId = 0;
  SignalView view;
};

uint16_t readInputs(void* owner, MonitorReading* reading) {
  return request_RDPORT(owner, kPortInputs, reading->ports);
}
uint16_t readOutputs(void* owner, MonitorReading* reading) {
  return request_RDPORT(owner, kPortOutputs, reading->ports);
}

void setLabels(HWND dialog, const SignalBit (*bits)[16]) {
  for (int word = 0; word < SIGNAL_WORDS; ++word) {
    setTextUtf8(dialog, IDC_SIGNAL_SECTION0 + word, SignalSectionCaptions[word]);
    for (int bit = 0; bit < 16; ++bit) {
      setTextUtf8(dialog, IDC_SIGNAL_MNEMONIC0 + 16 * word + bit, bits[word][bit].mnemonic);
      setTextUtf8(dialog, IDC_SIGNAL_LABEL0 + 16 * word + bit, bits[word][bit].label);
    }
  }
}

void showReading(HWND dialog, SignalMonitorState* state) {
  MonitorReading reading;
  if (!takeMonitorReading(state->monitor.poll.get(), &reading)) return;
  uint16_t redraw[SIGNAL_WORDS];
  takeSignalReading(&state->view, reading.ports, g_mode.debugMode.load() != 0, redraw);
  for (int word = 0; word < SIGNAL_WORDS; ++word)
    for (int bit = 0; bit < 16; ++bit)
      if (redraw[word] & (1u << bit)) {
        BitControls c = signalBitControls(word, bit);
        setBitLook(dialog, c.lampId, c.textId, (reading.ports[word] >> bit) & 1);
      }
}

INT_PTR CALLBACK signalMonitorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  SignalMonitorState* state = dialogState<SignalMonitorState>(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      state = attachDialogState(dialog, new SignalMonitorState);
      state->templateId = static_cast<uint16_t>(lParam);
      bool inputs = state->templateId == IDD_INPUT_MONITOR;
      CenterDialog(dialog, 0);
      setLabels(dialog, inputs ? InputSignalBits : OutputSignalBits);
      startPolling(dialog, &state->monitor, inputs ? readInputs : readOutputs);
      return TRUE;
    }
    case UM_WORKER_NOTICE:
      if (!state) return TRUE;
      if (wParam == MONITOR_FAILED) closePolling(dialog, state->templateId, &state->monitor);
      else showReading(dialog, state);
      return TRUE;
    case WM_DRAWITEM:
      return drawLamp(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && state) {
        closePolling(dialog, state->templateId, &state->monitor);
        return TRUE;
      }
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<SignalMonitorState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

// The template id travels as the creation parameter, so one procedure serves both.
HWND createSignalMonitorDialog(HWND parent, uint16_t templateId, LPARAM) {
  return openModeless(parent, templateId, signalMonitorProc, templateId);
}
