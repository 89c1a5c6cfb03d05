// The monitors' worker: one request, then the reading handed to the dialog, every
// 100 ms (once, for the alarm history; back to back, for the trend monitor) until
// the run flag of this opening is cleared. Portable: the front end supplies the
// request and the notice.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>

#include "protocol/request_record.h"
#include "toolkit/worker.h"

// Every result a monitor's read command yields; each monitor fills its part.
struct MonitorReading {
  uint8_t motionState = 0;
  uint16_t motionStatusWord = 0;
  uint16_t ports[3] = {};
  int32_t values[7] = {};
  uint16_t alarmCount = 0;
  AlarmEntry alarms[kMaxAlarmEntries] = {};
};

enum MonitorNotice : uint32_t {
  MONITOR_READ = 1,     // a new reading waits in the poll
  MONITOR_FAILED = 2,   // the read failed (its box has been shown); close the dialog
};

constexpr uint32_t kMonitorPeriodMs = 100;

// Shared by one opening's dialog and its worker, so that neither outlives what
// the other still uses; the reading crosses under the lock.
struct MonitorPoll {
  // Issues the monitor's command with `owner` as the box owner: 0 on success.
  uint16_t (*read)(void* owner, MonitorReading* reading) = nullptr;
  // Tells the dialog (`target`); must only post, never wait for the dialog.
  void (*notify)(void* target, uint32_t notice) = nullptr;
  uint32_t periodMs = kMonitorPeriodMs;   // 0: read once
  // Reads again as soon as every other monitor that waits has had its turn.
  bool backToBack = false;
  // Given every reading, on the worker, before the dialog hears of it (the trend
  // monitor records each one); `sink` lives as long as the poll.
  void (*keep)(void* sink, const MonitorReading& reading) = nullptr;
  std::shared_ptr<void> sink;
  std::mutex lock;
  bool fresh = false;
  MonitorReading latest;
};

// Starts the worker of one opening on `worker`; the worker keeps `poll` alive.
bool startMonitorPoll(Worker* worker, void* target, const std::shared_ptr<MonitorPoll>& poll);
// The current values' read (RD_MON) into reading.values, for the monitors that show them.
uint16_t readCurrentValues(void* owner, MonitorReading* reading);
// The newest reading, once: false when none came since the last call.
bool takeMonitorReading(MonitorPoll* poll, MonitorReading* reading);
