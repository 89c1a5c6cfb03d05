// The trend monitor's recording as its worker and its dialog share it: the ring
// under a lock, timed by a monotonic clock from the opening.
#pragma once
#include <chrono>
#include <cstdint>
#include <mutex>

#include "monitor/monitor_poll.h"
#include "monitor/trend_record.h"

struct TrendRecorder {
  std::mutex lock;
  TrendRecord record;
  std::chrono::steady_clock::time_point start;
};

// Allocates the ring and starts the clock.
void trendRecorderStart(TrendRecorder* recorder, uint32_t capacity = kTrendCapacity);
// The poll's keep hook: stamps the reading and adds it (`sink` is a TrendRecorder).
void trendRecorderKeep(void* sink, const MonitorReading& reading);
