// The trend monitor's recording: a fixed ring of current value samples in time order,
// their values in display units, and the recording written as CSV.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/monitor_view.h"

constexpr int kTrendValues = MONITOR_VALUE_COUNT;
// One hour at 20 samples a second. One RD_MON exchange is 94 characters of 11 bits
// at 9600 baud, about 108 ms with the read's end, so the line gives about 9 a second:
// the ring holds more than an hour at any rate the line allows.
constexpr uint32_t kTrendCapacity = 20 * 3600;

// One reading: ms since the recording started (monotonic clock) and the seven RD_MON
// values as read (commandPosition .. monitor2).
struct TrendSample {
  uint32_t ms;
  int32_t values[kTrendValues];
};

// The ring. `samples` is sized once by trendStart and never grows; when it is full a
// new sample takes the oldest one's place.
struct TrendRecord {
  std::vector<TrendSample> samples;
  uint32_t oldest = 0;    // slot of the oldest sample
  uint32_t count = 0;     // samples held
  uint32_t dropped = 0;   // samples pushed out since the start (saturates)
};

// Empties the record and allocates room for `capacity` samples (at least one).
void trendStart(TrendRecord* record, uint32_t capacity = kTrendCapacity);
// Keeps a sample; times are expected never to decrease.
void trendAdd(TrendRecord* record, uint32_t ms, const int32_t values[kTrendValues]);
// The index-th sample in time order, 0 the oldest; index < count.
const TrendSample& trendSample(const TrendRecord& record, uint32_t index);

// A run of samples in time order: indexes first .. first + count - 1.
struct TrendSpan {
  uint32_t first = 0;
  uint32_t count = 0;
};
// The samples whose time lies in [fromMs, toMs].
TrendSpan trendWindow(const TrendRecord& record, uint32_t fromMs, uint32_t toMs);

// The value names of the CSV header, in RD_MON order.
extern const char* const kTrendValueNames[kTrendValues];

// A value in display units: the raw fixed-point number over 10 to the format's
// fraction digits, as the current value monitor shows it.
double trendDisplayValue(uint16_t valueFormat, int32_t value);
// The value's text as the current value monitor shows it, without the blanks before;
// empty when it does not fit the format's width.
void trendDisplayText(uint16_t valueFormat, int32_t value, char out[MONITOR_VALUE_CHARS]);

// A chosen value: its RD_MON index, and the title and unit a chart shows for it.
struct TrendTrace {
  int value;
  const char* title;
  const char* unit;   // "" when the value has none
};

// The recording as CSV text, ASCII with CR LF like the other data files: a header
// line "ms,<name>...", then per sample its time and each trace's display text.
std::string trendCsv(const TrendRecord& record, const TrendTrace* traces, int traceCount, uint16_t valueFormat);
// Writes trendCsv to `path` through the guarded file rules (a temporary file renamed
// over the target). A FILE_* status.
uint16_t saveTrendCsv(const char* path, const TrendRecord& record, const TrendTrace* traces, int traceCount,
                      uint16_t valueFormat);
