// What the trend monitor shows of its recording: the time windows, which values may be
// traced, each band's scale and the sample under the cursor. Portable: the dialog only
// draws these.
#pragma once
#include <cstdint>

#include "monitor/trend_record.h"

// The scrolling windows, shortest first: 10 s, 30 s, 60 s and 5 min.
constexpr int kTrendWindowCount = 4;
extern const uint32_t kTrendWindowsMs[kTrendWindowCount];
constexpr int kTrendMaxTraces = 4;

// Whether a value (RD_MON index) may be traced: the positions but the latch, and the
// torque; monitor1 and monitor2 only in debug mode.
bool trendValueTraceable(int value, bool debugMode);

// The window that ends with the newest sample (or at 0 when there is none).
void trendLatestWindow(const TrendRecord& record, uint32_t windowMs, uint32_t* fromMs, uint32_t* toMs);

// A band's scale in display units: the lowest and highest value of the shown samples,
// widened by 1 either way when they lie closer than one step of the last digit, so
// a flat line sits in the middle of its band.
struct TrendRange {
  double lo = 0;
  double hi = 0;
};
TrendRange trendValueRange(const TrendRecord& record, TrendSpan shown, int value, uint16_t valueFormat);

// The index of the sample nearest to `ms` in the span (the earlier one on a tie);
// count when the span is empty.
uint32_t trendNearestSample(const TrendRecord& record, TrendSpan shown, uint32_t ms);
