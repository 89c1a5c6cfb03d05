// The owner-drawn five-field status bar of the main window.
#include <windows.h>
#include <commctrl.h>

#include "link/link_state.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"
#include "toolkit/dialog_toolkit.h"

namespace {
// The bar's style: a child with the class bit 0x0010 and no size grip, which would
// paint over the last field's right end.
constexpr DWORD kStatusBarStyle = WS_CHILD | 0x0010;
}  // namespace

HWND createStatusBar(HWND mainWindow) {
  InitCommonControls();
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(mainWindow, GWLP_HINSTANCE));
  g_statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", kStatusBarStyle, 0, 0, 0, 0, mainWindow,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)), instance, nullptr);
  if (!g_statusBar) return nullptr;
  ShowWindow(g_statusBar, SW_SHOW);
  layoutStatusBar();
  for (int field = 0; field < STATUS_FIELD_COUNT; ++field)
    SendMessageW(g_statusBar, SB_SETTEXTW, field | SBT_OWNERDRAW, reinterpret_cast<LPARAM>(L""));
  return g_statusBar;
}

void layoutStatusBar() {
  if (!g_statusBar) return;
  int edges[STATUS_FIELD_COUNT];
  statusFieldEdges(g_mode.debugMode == 1, edges);
  SendMessageW(g_statusBar, SB_SETPARTS, STATUS_FIELD_COUNT, reinterpret_cast<LPARAM>(edges));
}

void paintStatusField(const DRAWITEMSTRUCT* item) {
  StatusFieldLook look = statusFieldLook(static_cast<int>(item->itemID), g_moduleStatus.ready.load(),
                                         g_moduleStatus.servoOn.load(), g_moduleStatus.mainCircuitOn.load(),
                                         g_moduleStatus.alarm.load(), g_mode.debugMode == 1, g_motorType);
  COLORREF colour = look.colour == FIELD_GREEN ? RGB(0, 255, 0)
                    : look.colour == FIELD_RED ? RGB(255, 0, 0)
                                               : RGB(192, 192, 192);
  HBRUSH brush = look.colour == FIELD_GREY ? static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH))
                                           : CreateSolidBrush(colour);
  RECT rect = item->rcItem;
  FillRect(item->hDC, &rect, brush);
  SetBkColor(item->hDC, colour);
  if (look.showsPath) {
    wchar_t path[PATH_BYTES];
    utf8ToWide(g_definitionPath, path, PATH_BYTES);
    DrawTextW(item->hDC, path, -1, &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  } else if (look.stringId) {
    wchar_t* text = LoadResString(item->hwndItem, look.stringId);
    if (text) DrawTextW(item->hDC, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    FreeResString(text);
  }
  DeleteObject(brush);   // stock objects ignore this
}

void repaintStatusBar() {
  if (!g_statusBar) return;
  layoutStatusBar();
  ShowWindow(g_statusBar, SW_HIDE);
  ShowWindow(g_statusBar, SW_SHOW);
}
