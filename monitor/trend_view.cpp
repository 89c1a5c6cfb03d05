// What the trend monitor shows of its recording: windows, traceable values, scales, cursor.
#include "monitor/trend_view.h"

const uint32_t kTrendWindowsMs[kTrendWindowCount] = {10000, 30000, 60000, 300000};

bool trendValueTraceable(int value, bool debugMode) {
  if (value < 0 || value >= kTrendValues || value == 3) return false;   // 3: latchPosition
  return value < liveMonitorValues(debugMode);
}

void trendLatestWindow(const TrendRecord& r, uint32_t windowMs, uint32_t* fromMs, uint32_t* toMs) {
  uint32_t newest = r.count ? trendSample(r, r.count - 1).ms : 0;
  *toMs = newest;
  *fromMs = newest > windowMs ? newest - windowMs : 0;
}

TrendRange trendValueRange(const TrendRecord& r, TrendSpan shown, int value, uint16_t valueFormat) {
  TrendRange range;
  for (uint32_t i = 0; i < shown.count; ++i) {
    double v = trendDisplayValue(valueFormat, trendSample(r, shown.first + i).values[value]);
    if (i == 0 || v < range.lo) range.lo = v;
    if (i == 0 || v > range.hi) range.hi = v;
  }
  if (range.hi - range.lo < trendDisplayValue(valueFormat, 1)) {
    range.lo -= 1;
    range.hi += 1;
  }
  return range;
}

uint32_t trendNearestSample(const TrendRecord& r, TrendSpan shown, uint32_t ms) {
  if (shown.count == 0) return r.count;
  uint32_t lo = shown.first, hi = shown.first + shown.count - 1;
  while (lo < hi) {   // the first sample at or after ms, or the last
    uint32_t mid = lo + (hi - lo) / 2;
    if (trendSample(r, mid).ms < ms) lo = mid + 1;
    else hi = mid;
  }
  if (lo > shown.first) {   // the one before lies before ms
    uint32_t before = ms - trendSample(r, lo - 1).ms;
    uint32_t after = trendSample(r, lo).ms > ms ? trendSample(r, lo).ms - ms : 0;
    if (before <= after) return lo - 1;
  }
  return lo;
}
