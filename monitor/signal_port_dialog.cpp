// Output-port write (196): the person takes over single outputs with the override
// boxes (SETDIS), sets their levels with the value toggles and writes them (WRPORT);
// a worker reads the actual outputs every 100 ms for the lamps and for the toggles
// of rows the tool does not drive. Closing releases every override first.
#include <windows.h>

#include "files/settings.h"
#include "link/request.h"
#include "monitor/signal_dialogs.h"
#include "monitor/signal_output.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

constexpr uint8_t kPortOutputs = 1;   // RDPORT "OUT"
constexpr DWORD kPollMs = 100;

// Low 16 bits of UM_WORKER_NOTICE's wParam. A read carries its three words in the
// message itself: word 2 in wParam's next 16 bits, words 0 and 1 in lParam's low
// and high 16 bits.
enum PortNotice : uint16_t { NOTICE_READ = 1, NOTICE_FAILED = 2 };

struct OutputPortState {
  Worker worker;
  PortWords mask{};      // the checked override boxes, mirrored in the settings block
  PortWords toggles{};   // the levels the value toggles show
  PortWords actual{};    // the last read levels, shown by the lamps
  bool releasing = false;   // the close is sending its release
};

void pollOutputs(WorkerToken token, void*) {
  HWND dialog = static_cast<HWND>(token.target());   // owns request boxes only
  while (token.running()) {
    uint16_t bits[SIGNAL_WORDS] = {};
    if (request_RDPORT(dialog, kPortOutputs, bits) != 0) {
      // The box has been shown; the dialog closes without releasing its overrides.
      workerPost(token, NOTICE_FAILED, 0);
      token.stop();
      return;
    }
    if (!workerPost(token, NOTICE_READ | (static_cast<WPARAM>(bits[2]) << 16),
                    static_cast<LPARAM>(bits[0] | (static_cast<uint32_t>(bits[1]) << 16))))
      return;
    // Slept in slices so a closing dialog does not wait out the whole pause.
    for (DWORD slept = 0; slept < kPollMs && token.running(); slept += 10) Sleep(10);
  }
}

void storeMask(const OutputPortState* state) {
  for (int w = 0; w < SIGNAL_WORDS; ++w) g_settings.outputPort.overrideMask[w] = state->mask.words[w];
}

bool bitOf(const PortWords& words, int w, int b) { return (words.words[w] >> b) & 1; }

void showToggle(HWND dialog, int w, int b, bool on) {
  int id = portValueToggleId(w, b);
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
  SetItemText(dialog, id, on ? "ON" : "OFF");
}

// Which row a control belongs to; false when it is none of the kind.
bool rowOfControl(int (*idOf)(int, int), int id, int* word, int* bit) {
  for (int w = 0; w < SIGNAL_WORDS; ++w)
    for (int b = 0; b < PORT_ROWS; ++b)
      if (idOf(w, b) == id) {
        *word = w;
        *bit = b;
        return true;
      }
  return false;
}

void setLabels(HWND dialog) {
  wchar_t wide[96];
  for (int w = 0; w < SIGNAL_WORDS; ++w) {
    MultiByteToWideChar(CP_UTF8, 0, SignalSectionCaptions[w], -1, wide, 96);
    SetItemTextW(dialog, IDC_OUTPUT_PORT_CAPTION0 + w, wide);
    for (int b = 0; b < PORT_ROWS; ++b) {
      char label[96];
      portRowLabel(w, b, label, sizeof label);
      MultiByteToWideChar(CP_UTF8, 0, label, -1, wide, 96);
      SetItemTextW(dialog, portLabelId(w, b), wide);
    }
  }
}

void onOpen(HWND dialog, OutputPortState* state) {
  CenterDialog(dialog, 0);
  setLabels(dialog);
  PortOpening opening = portOpening(g_settings.outputPort);
  state->mask = opening.mask;
  state->toggles = opening.toggles;
  storeMask(state);
  for (int w = 0; w < SIGNAL_WORDS; ++w)
    for (int b = 0; b < PORT_ROWS; ++b) {
      CheckDlgButton(dialog, portOverrideBoxId(w, b), BST_UNCHECKED);
      showToggle(dialog, w, b, bitOf(state->toggles, w, b));
    }
  workerStart(&state->worker, dialog, pollOutputs, nullptr);
}

void onRead(HWND dialog, OutputPortState* state, const PortWords& actual) {
  PortWords shown = togglesAfterRead(state->toggles, state->mask, actual);
  for (int w = 0; w < SIGNAL_WORDS; ++w)
    for (int b = 0; b < PORT_ROWS; ++b) {
      if (bitOf(shown, w, b) != bitOf(state->toggles, w, b)) showToggle(dialog, w, b, bitOf(shown, w, b));
      if (bitOf(actual, w, b) != bitOf(state->actual, w, b))
        InvalidateRect(GetDlgItem(dialog, portLampId(w, b)), nullptr, FALSE);
    }
  state->toggles = shown;
  state->actual = actual;
}

void onOverrideClick(HWND dialog, OutputPortState* state, int id, int w, int b) {
  bool checked = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
  PortWords mask = overrideAfterClick(state->mask, w, b, checked);
  if (request_SETDIS(dialog, mask.words) != 0) {
    // Not taken over (or not released): the box shows what the module does.
    CheckDlgButton(dialog, id, checked ? BST_UNCHECKED : BST_CHECKED);
    return;
  }
  state->mask = mask;
  storeMask(state);
}

void onToggleClick(HWND dialog, OutputPortState* state, int id, int w, int b) {
  bool on = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
  SetItemText(dialog, id, on ? "ON" : "OFF");
  uint16_t flag = static_cast<uint16_t>(1u << b);
  state->toggles.words[w] = static_cast<uint16_t>(on ? state->toggles.words[w] | flag : state->toggles.words[w] & ~flag);
}

// Every row's toggle goes out, driven or not: the module applies only the driven ones.
void onWrite(HWND dialog, OutputPortState* state) {
  PortWords words{};
  for (int w = 0; w < SIGNAL_WORDS; ++w)
    for (int b = 0; b < PORT_ROWS; ++b)
      if (IsDlgButtonChecked(dialog, portValueToggleId(w, b)) == BST_CHECKED)
        words.words[w] = static_cast<uint16_t>(words.words[w] | (1u << b));
  state->toggles = words;
  for (int w = 0; w < SIGNAL_WORDS; ++w) g_settings.outputPort.writtenValues[w] = words.words[w];
  request_WRPORT(dialog, words.words);
}

// A release that fails keeps the dialog open, so the overrides can still be
// released; the closing path is entered once even if the box lets a second
// close request through.
void onClose(HWND dialog, OutputPortState* state) {
  if (state->releasing) return;
  state->releasing = true;
  const uint16_t none[SIGNAL_WORDS] = {0, 0, 0};
  uint16_t status = request_SETDIS(dialog, none);
  state->releasing = false;
  if (status != 0) return;
  state->mask = PortWords{};
  for (int w = 0; w < SIGNAL_WORDS; ++w) {
    g_settings.outputPort.overrideMask[w] = 0;
    g_settings.outputPort.writtenValues[w] = 0;
  }
  closeModeless(dialog, IDD_OUTPUT_PORT, &state->worker, nullptr, nullptr);
}

void onCommand(HWND dialog, OutputPortState* state, int id, int code) {
  if (id == IDCANCEL) return onClose(dialog, state);
  // Enter comes as IDOK with code 0, which equals BN_CLICKED: it writes nothing.
  if (id == IDOK || code != BN_CLICKED) return;
  if (id == IDC_OUTPUT_PORT_WRITE) return onWrite(dialog, state);
  int w = 0, b = 0;
  if (rowOfControl(portOverrideBoxId, id, &w, &b)) onOverrideClick(dialog, state, id, w, b);
  else if (rowOfControl(portValueToggleId, id, &w, &b)) onToggleClick(dialog, state, id, w, b);
}

void drawLamp(HWND dialog, const OutputPortState* state, int id) {
  int w = 0, b = 0;
  if (rowOfControl(portLampId, id, &w, &b))
    DrawBitmapItem(dialog, id, bitOf(state->actual, w, b) ? IDB_LED_ON : IDB_LED_OFF);
}

}  // namespace

HWND createOutputPortDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, outputPortDialogProc, parameter);
}

INT_PTR CALLBACK outputPortDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  OutputPortState* state = dialogState<OutputPortState>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      onOpen(dialog, attachDialogState(dialog, new OutputPortState));
      return TRUE;
    case UM_WORKER_NOTICE:
      if (!state) return TRUE;
      if (LOWORD(wParam) == NOTICE_FAILED) {
        closeModeless(dialog, IDD_OUTPUT_PORT, &state->worker, nullptr, nullptr);
      } else if (LOWORD(wParam) == NOTICE_READ && workerActive(&state->worker)) {
        PortWords actual = {{static_cast<uint16_t>(lParam), static_cast<uint16_t>(static_cast<uint32_t>(lParam) >> 16),
                             static_cast<uint16_t>(wParam >> 16)}};
        onRead(dialog, state, actual);
      }
      return TRUE;
    case WM_DRAWITEM:
      if (state) drawLamp(dialog, state, static_cast<int>(wParam));
      return TRUE;
    case DM_GETDEFID:
      return NoDefaultButton(dialog);
    case WM_COMMAND:
      if (state) onCommand(dialog, state, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DESTROY:
      // Destroyed without the close path (the program ends): the worker ends here,
      // before the link shuts down, or is left unable to reach it.
      if (state) workerStop(&state->worker);
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<OutputPortState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}
