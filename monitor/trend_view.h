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

// One opening's choices: each band's value (-1: none) and its fixed limits, the
// window, and the pause.
struct TrendBand {
  int value = -1;
  bool fixed = false;
  TrendRange limits;   // display units, used while fixed
};
struct TrendViewState {
  TrendBand bands[kTrendMaxTraces];
  int window = 0;               // into kTrendWindowsMs
  bool paused = false;
  uint32_t pausedAtMs = 0;      // the view's end while paused
};

// The time the view shows, always one whole window: it ends with the newest sample
// (while paused, with the newest at the pause), or starts at 0 until the recording
// fills it.
void trendViewSpan(const TrendRecord& record, const TrendViewState& view, uint32_t* fromMs, uint32_t* toMs);
// Pauses (freezing the view at the newest sample) or resumes.
void trendSetPaused(TrendViewState* view, const TrendRecord& record, bool paused);
// A band's scale: its fixed limits, or the shown samples' range.
TrendRange trendBandRange(const TrendRecord& record, TrendSpan shown, const TrendBand& band, uint16_t valueFormat);
// Fixed limits from the engineer's texts: two numbers, the upper above the lower.
bool trendParseLimits(const char* lowText, const char* highText, TrendRange* limits);

// A band's line in pixels of a width x height area, x from the window's start. Each
// pixel column keeps its first, lowest, highest and last sample, so five minutes of
// samples draw as quickly as ten seconds and no peak is lost. Values outside the
// range sit on the band's edge. Returns the points written (at most 4 x width).
struct TrendPoint {
  int x;
  int y;
};
int trendBandPath(const TrendRecord& record, TrendSpan shown, int value, uint16_t valueFormat, TrendRange range,
                  uint32_t fromMs, uint32_t toMs, int width, int height, TrendPoint* out, int maxPoints);

// The spacing of the time axis's marks for a window: five or six marks across.
uint32_t trendTickStepMs(uint32_t windowMs);
