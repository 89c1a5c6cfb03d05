// The version dialog (102): "Ver" and the program version with two decimals.
#include <cstring>

#include "protocol/number_format.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"
#include "toolkit/dialog_toolkit.h"

namespace {
constexpr uint16_t PROGRAM_VERSION = 100;
constexpr uint16_t VERSION_FORMAT = 0x0225;   // unsigned 16-bit, 2 decimals, width 5, right-aligned
}

INT_PTR CALLBACK versionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CenterDialog(dialog, 0);
      char text[16] = "Ver";
      uint16_t version = PROGRAM_VERSION;
      formatNumber(VERSION_FORMAT, &version, text + 3);
      text[3 + formatWidth(VERSION_FORMAT)] = 0;
      SetItemText(dialog, IDC_VERSION_TEXT, text);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_VERSION_OK) EndDialog(dialog, 1);
      else if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 2);
      return TRUE;
    default:
      return FALSE;
  }
}
