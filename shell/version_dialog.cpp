// The version dialog (102): "Ver" and the program version with two decimals.
#include <cstring>

#include "resources/resource.h"
#include "shell/shell_win32.h"
#include "system/program_version.h"
#include "toolkit/dialog_toolkit.h"

INT_PTR CALLBACK versionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CenterDialog(dialog, 0);
      char text[16];
      programVersionText(text);
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
