// The trend monitor's shared recording.
#include "monitor/trend_recorder.h"

void trendRecorderStart(TrendRecorder* recorder, uint32_t capacity) {
  std::lock_guard<std::mutex> guard(recorder->lock);
  trendStart(&recorder->record, capacity);
  recorder->start = std::chrono::steady_clock::now();
}

void trendRecorderKeep(void* sink, const MonitorReading& reading) {
  auto* recorder = static_cast<TrendRecorder*>(sink);
  auto elapsed = std::chrono::steady_clock::now() - recorder->start;
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  std::lock_guard<std::mutex> guard(recorder->lock);
  trendAdd(&recorder->record, static_cast<uint32_t>(ms), reading.values);
}
