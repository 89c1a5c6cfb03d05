// The connection dialog (104): choose COM1 to COM3 and connect.
#include "files/settings.h"
#include "link/connection.h"
#include "link/link_state.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"
#include "toolkit/dialog_toolkit.h"

INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CenterDialog(dialog, 0);
      SetRadioGroup(dialog, IDC_CONNECT_COM1, savedPort() <= 2 ? savedPort() : -1);
      g_mode.currentPort = savedPort();
      LineSettingTexts texts = lineSettingTexts();
      SetItemText(dialog, IDC_CONNECT_BAUD, texts.baudRate);
      SetItemText(dialog, IDC_CONNECT_DATA_BITS, texts.dataBits);
      wchar_t* parity = texts.parityStringId ? LoadResString(dialog, texts.parityStringId) : nullptr;
      SetItemTextW(dialog, IDC_CONNECT_PARITY, parity);
      FreeResString(parity);
      SetItemText(dialog, IDC_CONNECT_STOP_BITS, texts.stopBits);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_CONNECT_OK) {
        if (connectSelectedPort(dialog, GetRadioGroup(dialog, IDC_CONNECT_COM1)) == 0) EndDialog(dialog, 1);
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
