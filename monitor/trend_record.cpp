// The trend monitor's recording: the sample ring, display units and CSV output.
#include "monitor/trend_record.h"

#include <cstring>

#include "files/guarded_file.h"
#include "protocol/number_format.h"

const char* const kTrendValueNames[kTrendValues] = {"commandPosition", "feedbackPosition", "positionDeviation",
                                                    "latchPosition",   "outputTorque",     "monitor1",
                                                    "monitor2"};

void trendStart(TrendRecord* r, uint32_t capacity) {
  r->samples.assign(capacity ? capacity : 1, TrendSample{});
  r->oldest = 0;
  r->count = 0;
  r->dropped = 0;
}

void trendAdd(TrendRecord* r, uint32_t ms, const int32_t values[kTrendValues]) {
  uint32_t capacity = static_cast<uint32_t>(r->samples.size());
  if (capacity == 0) return;   // not started: nothing to keep it in
  TrendSample* slot;
  if (r->count < capacity) {
    slot = &r->samples[(r->oldest + r->count) % capacity];
    ++r->count;
  } else {
    slot = &r->samples[r->oldest];
    r->oldest = (r->oldest + 1) % capacity;
    if (r->dropped != UINT32_MAX) ++r->dropped;
  }
  slot->ms = ms;
  std::memcpy(slot->values, values, sizeof slot->values);
}

const TrendSample& trendSample(const TrendRecord& r, uint32_t index) {
  return r.samples[(r.oldest + index) % r.samples.size()];
}

namespace {

// The first index whose time is at least `ms` (count when none is).
uint32_t firstAtOrAfter(const TrendRecord& r, uint32_t ms) {
  uint32_t lo = 0, hi = r.count;
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (trendSample(r, mid).ms < ms) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

}  // namespace

TrendSpan trendWindow(const TrendRecord& r, uint32_t fromMs, uint32_t toMs) {
  TrendSpan span;
  if (fromMs > toMs) return span;
  span.first = firstAtOrAfter(r, fromMs);
  uint32_t end = toMs == UINT32_MAX ? r.count : firstAtOrAfter(r, toMs + 1);
  span.count = end - span.first;
  return span;
}

double trendDisplayValue(uint16_t valueFormat, int32_t value) {
  double scale = 1;
  for (int f = (valueFormat & FMT_FRACTION_MASK) >> 4; f > 0; --f) scale *= 10;
  return value / scale;
}

void trendDisplayText(uint16_t valueFormat, int32_t value, char out[MONITOR_VALUE_CHARS]) {
  char text[MONITOR_VALUE_CHARS];
  formatMonitorValue(valueFormat, value, text);
  const char* p = text;
  while (*p == ' ') ++p;
  std::memmove(out, p, std::strlen(p) + 1);
}

std::string trendCsv(const TrendRecord& r, const TrendTrace* traces, int traceCount, uint16_t valueFormat) {
  std::string csv = "ms";
  for (int k = 0; k < traceCount; ++k) csv += std::string(",") + kTrendValueNames[traces[k].value];
  csv += "\r\n";
  csv.reserve(csv.size() + static_cast<size_t>(r.count) * (11 + 13 * static_cast<size_t>(traceCount)));
  for (uint32_t i = 0; i < r.count; ++i) {
    const TrendSample& s = trendSample(r, i);
    csv += std::to_string(s.ms);
    for (int k = 0; k < traceCount; ++k) {
      char text[MONITOR_VALUE_CHARS];
      trendDisplayText(valueFormat, s.values[traces[k].value], text);
      csv += ',';
      csv += text;
    }
    csv += "\r\n";
  }
  return csv;
}

uint16_t saveTrendCsv(const char* path, const TrendRecord& record, const TrendTrace* traces, int traceCount,
                      uint16_t valueFormat) {
  std::string csv = trendCsv(record, traces, traceCount, valueFormat);
  return replaceWholeFile(LOCATION_AS_GIVEN, 0, path, csv.data(), static_cast<uint32_t>(csv.size()));
}
