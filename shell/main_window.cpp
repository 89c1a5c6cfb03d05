// The main window: creation, status-bar painting, close confirmation and the
// shutdown of the link.
#include <windows.h>
#include <commctrl.h>

#include "files/settings.h"
#include "link/connection.h"
#include "link/link.h"
#include "link/status_poll.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"
#include "toolkit/dialog_toolkit.h"

HWND g_mainWindow = nullptr;
HWND g_statusBar = nullptr;

namespace {
LRESULT onCreate(HWND window) {
  g_mainWindow = window;
  HMENU classMenu = GetMenu(window);
  HMENU menu = LoadMenuW(ResourceInstance(window), MAKEINTRESOURCEW(IDM_MAIN));
  SetMenu(window, menu);
  if (classMenu && classMenu != menu) DestroyMenu(classMenu);
  if (linkStart() != 0) return -1;
  createStatusBar(window);
  BuildUnitLabels(window, g_settings.environment.displayUnit);
  return 0;
}

void onClose(HWND window) {
  int answer = ShowMessage(window, IDS_CONFIRM_EXIT, IDS_CAPTION, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  if (answer != IDYES) return;
  closeAllModeless();
  DestroyWindow(window);
}

void onDestroy() {
  // The status poll is told to end first, without a wait: a read of it that fails
  // while the windows go down must not bring up a box after the main window.
  stopStatusPolling(0);
  // Dialogs still open (a path other than the close question) end first, and
  // every one is gone before the link: its closing notice to this window would
  // never be handled. Stopping their workers waits for none of them.
  closeAllModeless();
  destroyAllModeless();
  setSavedPort(savedPortAtExit(savedPort()));
  // Stops the poll (waiting for it), closes the open port with one close request,
  // stops and joins the communication thread and destroys both channels.
  linkShutdown();
  g_statusBar = nullptr;
  PostQuitMessage(0);
}
}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return onCreate(window);
    case WM_SIZE:
      if (g_statusBar) SendMessageW(g_statusBar, WM_SIZE, wParam, lParam);
      break;
    case WM_DRAWITEM:
      if (wParam == IDC_STATUS_BAR) paintStatusField(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      break;
    case WM_COMMAND:
      onMenuCommand(window, LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      onClose(window);
      return 0;
    case WM_DESTROY:
      onDestroy();
      break;
    case UM_DIALOG_CLOSED:
      onDialogClosed(wParam);
      return 0;
    case UM_DATA_CHANGED:
      onDataChanged(wParam, lParam);
      return 0;
    case UM_STATUS_REPAINT:
      repaintStatusBar();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
