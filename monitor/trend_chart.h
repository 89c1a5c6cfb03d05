// The chart of a trend recording: the samples of a time window written as a plain
// SVG file, one panel and one path per trace over a time axis in seconds.
#pragma once
#include <cstdint>
#include <string>

#include "monitor/trend_record.h"

// The SVG text of the samples in [fromMs, toMs], each trace in its own panel scaled
// to its values in display units; the axis counts seconds of recording time.
std::string trendSvg(const TrendRecord& record, uint32_t fromMs, uint32_t toMs, const TrendTrace* traces,
                     int traceCount, uint16_t valueFormat);
// Writes trendSvg to `path` through the guarded file rules. A FILE_* status.
uint16_t saveTrendSvg(const char* path, const TrendRecord& record, uint32_t fromMs, uint32_t toMs,
                      const TrendTrace* traces, int traceCount, uint16_t valueFormat);
