// What the trend monitor shows of its recording: windows, traceable values, scales, cursor.
#include "monitor/trend_view.h"

#include <cmath>
#include <cstdlib>

const uint32_t kTrendWindowsMs[kTrendWindowCount] = {10000, 30000, 60000, 300000};

bool trendValueTraceable(int value, bool debugMode) {
  if (value < 0 || value >= kTrendValues || value == 3) return false;   // 3: latchPosition
  return value < liveMonitorValues(debugMode);
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

void trendViewSpan(const TrendRecord& r, const TrendViewState& view, uint32_t* fromMs, uint32_t* toMs) {
  uint32_t windowMs = kTrendWindowsMs[view.window >= 0 && view.window < kTrendWindowCount ? view.window : 0];
  uint32_t end = view.paused ? view.pausedAtMs : (r.count ? trendSample(r, r.count - 1).ms : 0);
  *fromMs = end > windowMs ? end - windowMs : 0;
  *toMs = *fromMs + windowMs;
}

void trendSetPaused(TrendViewState* view, const TrendRecord& r, bool paused) {
  if (paused && !view->paused) view->pausedAtMs = r.count ? trendSample(r, r.count - 1).ms : 0;
  view->paused = paused;
}

TrendRange trendBandRange(const TrendRecord& r, TrendSpan shown, const TrendBand& band, uint16_t valueFormat) {
  return band.fixed ? band.limits : trendValueRange(r, shown, band.value, valueFormat);
}

bool trendParseLimits(const char* lowText, const char* highText, TrendRange* limits) {
  auto number = [](const char* text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text, &end);
    if (end == text) return false;
    while (*end == ' ') ++end;
    return *end == 0 && std::isfinite(*out);
  };
  TrendRange r;
  if (!number(lowText, &r.lo) || !number(highText, &r.hi) || !(r.hi > r.lo)) return false;
  *limits = r;
  return true;
}

int trendBandPath(const TrendRecord& r, TrendSpan shown, int value, uint16_t valueFormat, TrendRange range,
                  uint32_t fromMs, uint32_t toMs, int width, int height, TrendPoint* out, int maxPoints) {
  if (width < 1 || height < 1 || toMs <= fromMs || range.hi <= range.lo) return 0;
  double yScale = (height - 1) / (range.hi - range.lo);
  double xScale = static_cast<double>(width - 1) / (toMs - fromMs);
  int n = 0;
  auto put = [&](int x, int y) {
    if (n < maxPoints) out[n++] = {x, y};
  };
  // The column being gathered: its first, lowest, highest and last points.
  int column = -1;
  TrendPoint first{}, low{}, high{}, last{};
  uint32_t lowAt = 0, highAt = 0;
  auto flush = [&] {
    if (column < 0) return;
    put(first.x, first.y);
    // The extremes in the order they came, each once.
    TrendPoint a = lowAt <= highAt ? low : high, b = lowAt <= highAt ? high : low;
    if (a.y != first.y) put(a.x, a.y);
    if (b.y != a.y) put(b.x, b.y);
    if (last.y != b.y) put(last.x, last.y);
  };
  for (uint32_t i = 0; i < shown.count; ++i) {
    const TrendSample& s = trendSample(r, shown.first + i);
    if (s.ms < fromMs || s.ms > toMs) continue;
    int x = static_cast<int>((s.ms - fromMs) * xScale + 0.5);
    double v = (trendDisplayValue(valueFormat, s.values[value]) - range.lo) * yScale;
    int y = (height - 1) - static_cast<int>(v < 0 ? 0 : v > height - 1 ? height - 1 : v + 0.5);
    TrendPoint p{x, y};
    if (x != column) {
      flush();
      column = x;
      first = low = high = last = p;
      lowAt = highAt = i;
      continue;
    }
    // Screen y grows downward: the lowest value has the largest y.
    if (p.y > low.y) low = p, lowAt = i;
    if (p.y < high.y) high = p, highAt = i;
    last = p;
  }
  flush();
  return n;
}

uint32_t trendTickStepMs(uint32_t windowMs) {
  if (windowMs <= 10000) return 2000;
  if (windowMs <= 30000) return 5000;
  if (windowMs <= 60000) return 10000;
  return 60000;
}
