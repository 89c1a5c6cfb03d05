// The desktop program's prompt interface: texts from the string table shown with
// MessageBoxW, status notices and dialog notices posted to the main window.
#include <windows.h>
#include <cwchar>

#include "link/prompt.h"
#include "shell/shell_win32.h"
#include "toolkit/dialog_toolkit.h"

namespace {
uint16_t showMessage(OwnerHandle owner, uint16_t textId, const char* extra, uint16_t captionId,
                     uint32_t style) {
  HWND window = static_cast<HWND>(owner);
  wchar_t* text = textId ? LoadResString(window, textId) : nullptr;
  wchar_t* caption = captionId ? LoadResString(window, captionId) : nullptr;
  wchar_t message[768] = {};
  if (text) wcsncpy(message, text, 511);
  if (extra && *extra) {
    wchar_t wide[256];
    utf8ToWide(extra, wide, 256);
    wcsncat(message, wide, 767 - wcslen(message));
  }
  int answer = MessageBoxW(window, message, caption, style);
  FreeResString(text);
  FreeResString(caption);
  return static_cast<uint16_t>(answer);
}

// Called on the status poll thread: the repaint happens on the window's own thread.
void statusChanged() {
  if (g_mainWindow) PostMessageW(g_mainWindow, UM_STATUS_REPAINT, 0, 0);
}

// Posted, not sent: a worker must never wait for the user-interface thread, which
// may itself be waiting for that worker to end.
void postNotification(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (g_mainWindow) PostMessageW(g_mainWindow, message, wParam, lParam);
}

const PromptInterface kDesktopPrompt = {showMessage, statusChanged, postNotification};
}  // namespace

void installDesktopPrompt() { setPromptInterface(&kDesktopPrompt); }
