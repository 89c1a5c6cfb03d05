// What the monitor dialogs share on Win32: the polling worker of one opening,
// closing without waiting for it, LED lamps kept by their controls, UTF-8 texts.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>

#include "monitor/monitor_poll.h"
#include "toolkit/list_view.h"
#include "toolkit/worker.h"

struct PollingMonitor {
  Worker worker;
  std::shared_ptr<MonitorPoll> poll;
  bool closing = false;   // closed once: a second close would hit a reopened dialog
  // A dialog destroyed without its close (its owner went first) still ends its
  // worker's run: no worker outlives its dialog's flag, and the thread is let go.
  ~PollingMonitor() { workerStop(&worker, 0); }
};

// Starts this opening's worker on `read`; periodMs 0 reads once.
bool startPolling(HWND dialog, PollingMonitor* monitor, uint16_t (*read)(void*, MonitorReading*),
                  uint32_t periodMs = kMonitorPeriodMs);
// The same with a poll the dialog has set up itself (back to back, a keep hook).
bool startPolling(HWND dialog, PollingMonitor* monitor, std::shared_ptr<MonitorPoll> poll);
// Clears the opening's run flag and closes the dialog without waiting for a
// request in flight: the worker then ends on its own and reaches nothing of the
// dialog but a post to a window that is gone.
void closePolling(HWND dialog, uint16_t templateId, PollingMonitor* monitor, HWND list = nullptr,
                  ColumnWidths* widths = nullptr);

// Lamps are owner-drawn statics; each keeps its own state (GWLP_USERDATA), so a
// repaint at any time shows the last reading.
void setLamp(HWND dialog, int lampId, bool on);
void setBitLook(HWND dialog, int lampId, int textId, bool on);
// WM_DRAWITEM of a lamp: paints IDB_LED_ON or IDB_LED_OFF. False when not a lamp.
bool drawLamp(HWND dialog, const DRAWITEMSTRUCT* item);

void setTextUtf8(HWND dialog, int id, const char* text);
