// The window side the monitor dialogs share: the polling worker, lamps, UTF-8 texts.
#include "monitor/shared_monitor_dialog.h"

#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {
void postNotice(void* target, uint32_t notice) {
  PostMessageW(static_cast<HWND>(target), UM_WORKER_NOTICE, notice, 0);
}
}  // namespace

bool startPolling(HWND dialog, PollingMonitor* monitor, uint16_t (*read)(void*, MonitorReading*),
                  uint32_t periodMs) {
  auto poll = std::make_shared<MonitorPoll>();
  poll->read = read;
  poll->periodMs = periodMs;
  return startPolling(dialog, monitor, std::move(poll));
}

bool startPolling(HWND dialog, PollingMonitor* monitor, std::shared_ptr<MonitorPoll> poll) {
  monitor->poll = std::move(poll);
  monitor->poll->notify = postNotice;
  return startMonitorPoll(&monitor->worker, dialog, monitor->poll);
}

void closePolling(HWND dialog, uint16_t templateId, PollingMonitor* monitor, HWND list, ColumnWidths* widths) {
  // No wait: a request on a dead line would hold the user-interface thread, and at
  // exit every monitor would add its own wait before the link could shut down.
  if (monitor->closing) return;
  monitor->closing = true;
  workerStop(&monitor->worker, 0);
  closeModeless(dialog, templateId, nullptr, list, widths);
}

void setLamp(HWND dialog, int lampId, bool on) {
  HWND lamp = GetDlgItem(dialog, lampId);
  if (!lamp) return;
  SetWindowLongPtrW(lamp, GWLP_USERDATA, on ? 1 : 0);
  InvalidateRect(lamp, nullptr, FALSE);
}

void setBitLook(HWND dialog, int lampId, int textId, bool on) {
  setLamp(dialog, lampId, on);
  SetItemText(dialog, textId, on ? "ON" : "OFF");
}

bool drawLamp(HWND dialog, const DRAWITEMSTRUCT* item) {
  if (item->CtlType != ODT_STATIC) return false;
  bool on = GetWindowLongPtrW(item->hwndItem, GWLP_USERDATA) != 0;
  DrawBitmapItem(dialog, static_cast<int>(item->CtlID), on ? IDB_LED_ON : IDB_LED_OFF);
  return true;
}

void setTextUtf8(HWND dialog, int id, const char* text) {
  wchar_t wide[256] = {};
  MultiByteToWideChar(CP_UTF8, 0, text ? text : "", -1, wide, 255);
  SetItemTextW(dialog, id, wide);
}
