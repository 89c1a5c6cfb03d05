// The environment settings dialog (155): repeat interval, display and command unit.
#include "files/environment_dialog.h"

#include "files/environment_settings.h"
#include "files/settings.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"

namespace {
const char* const kCommandUnits[COMMAND_UNIT_COUNT] = {"0.001", "0.01", "0.1", "1"};

void fillCombos(HWND dialog) {
  HWND display = GetDlgItem(dialog, IDC_ENV_DISPLAY_UNIT);
  for (UINT id = IDS_UNIT_MM; id <= IDS_UNIT_NONE; ++id) {
    wchar_t* text = LoadResString(dialog, id);
    SendMessageW(display, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L""));
    FreeResString(text);
  }
  HWND command = GetDlgItem(dialog, IDC_ENV_COMMAND_UNIT);
  for (const char* unit : kCommandUnits) {
    wchar_t wide[8];
    sjisToWide(unit, wide, 8);
    SendMessageW(command, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
  }
}
}  // namespace

INT_PTR CALLBACK environmentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CenterDialog(dialog, 0);
      fillCombos(dialog);
      const EnvironmentSettings& env = g_settings.environment;
      SendDlgItemMessageW(dialog, IDC_ENV_INTERVAL, EM_LIMITTEXT, INTERVAL_MAX_CHARS, 0);
      uint16_t interval = env.repeatInterval;
      SetNumericField(dialog, IDC_ENV_INTERVAL, &interval, INTERVAL_FORMAT);
      SendDlgItemMessageW(dialog, IDC_ENV_DISPLAY_UNIT, CB_SETCURSEL, env.displayUnit, 0);
      SendDlgItemMessageW(dialog, IDC_ENV_COMMAND_UNIT, CB_SETCURSEL, env.commandUnit, 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_ENV_SET) {
        char text[INTERVAL_MAX_CHARS + 1] = {};
        GetItemTextA(dialog, IDC_ENV_INTERVAL, text, sizeof text);
        int display = static_cast<int>(SendDlgItemMessageW(dialog, IDC_ENV_DISPLAY_UNIT, CB_GETCURSEL, 0, 0));
        int command = static_cast<int>(SendDlgItemMessageW(dialog, IDC_ENV_COMMAND_UNIT, CB_GETCURSEL, 0, 0));
        if (confirmEnvironmentSettings(dialog, text, display, command) == 1)
          BuildUnitLabels(dialog, g_settings.environment.displayUnit);
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 2);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
