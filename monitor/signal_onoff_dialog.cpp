// Servo on/off (131) and brake on/off (148): one command per click; the request
// function reports a failure itself.
#include <windows.h>

#include "link/request.h"
#include "monitor/signal_dialogs.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"

namespace {
constexpr uint8_t kOn = 1;    // OnOffKeywords: ON_
constexpr uint8_t kOff = 0;   // OFF

// The template is the only state: which command the buttons send.
uint16_t templateOf(HWND dialog) { return static_cast<uint16_t>(GetWindowLongPtrW(dialog, DWLP_USER)); }
}  // namespace

HWND createOnOffDialog(HWND parent, uint16_t templateId, LPARAM) {
  return openModeless(parent, templateId, onOffDialogProc, templateId);
}

INT_PTR CALLBACK onOffDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      CenterDialog(dialog, 0);
      return TRUE;
    case DM_GETDEFID:
      return NoDefaultButton(dialog);
    case WM_COMMAND: {
      uint16_t templateId = templateOf(dialog);
      switch (LOWORD(wParam)) {
        case IDC_ONOFF_ON:
        case IDC_ONOFF_OFF: {
          uint8_t on = LOWORD(wParam) == IDC_ONOFF_ON ? kOn : kOff;
          if (templateId == IDD_BRAKE_ONOFF) request_BKCTRL(dialog, on);
          else request_SVCTRL(dialog, on);
          return TRUE;
        }
        case IDCANCEL:
          closeModeless(dialog, templateId, nullptr, nullptr, nullptr);
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}
