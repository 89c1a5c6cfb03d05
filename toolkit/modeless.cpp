// closeModeless: the one way a modeless dialog ends.
#include "toolkit/modeless.h"

#include <windows.h>

#include "toolkit/dialog_toolkit.h"
#include "toolkit/window_messages.h"

static_assert(UM_DIALOG_CLOSED == WM_USER + 100 && UM_DATA_CHANGED == WM_USER + 101 &&
              UM_STATUS_REPAINT == WM_USER + 102 && UM_WORKER_NOTICE == WM_USER + 103 &&
              UM_END_WORK == WM_USER + 104 && UM_JOG_EDGE == WM_USER + 105);

void closeModeless(HWND dialog, uint16_t templateId, Worker* worker, HWND list, ColumnWidths* widths) {
  // No wait: a request on a dead line would hold the user-interface thread, once
  // per dialog at exit. The stopped worker reaches neither the dialog nor a box.
  if (worker) workerStop(worker);
  if (list && widths) ListViewKeepWidths(list, widths);
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner) owner = GetParent(dialog);
  PostMessageW(owner, UM_DIALOG_CLOSED, templateId, 0);
}

HWND openModeless(HWND parent, uint16_t templateId, DLGPROC procedure, LPARAM parameter) {
  HWND dialog = CreateDialogParamW(ResourceInstance(parent), MAKEINTRESOURCEW(templateId), parent, procedure,
                                   parameter);
  if (dialog) ShowWindow(dialog, SW_SHOW);
  return dialog;
}
