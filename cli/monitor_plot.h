// The chart of a watched current value monitor: recorded samples written as a plain
// SVG file, one panel and one path per value over a time axis in seconds.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qzctl {

constexpr int kPlotValues = 7;
constexpr uint32_t kPlotMaxSamples = 20000;

// At most kPlotMaxSamples samples: when full, every second one is dropped and
// from then on only every `stride`-th poll is kept, so the chart still spans the
// whole watch.
struct PlotRecord {
  uint32_t count = 0;
  uint32_t stride = 1;
  uint32_t polls = 0;
  std::vector<long> ms;
  std::vector<int32_t> values;   // kPlotValues per sample
};

struct PlotSeries {
  const char* title;
  const char* unit;
};

void plotAdd(PlotRecord* record, long ms, const int32_t values[kPlotValues]);
// Values are shown in the value format's units (fraction digits of `valueFormat`).
bool writePlot(const std::string& path, const PlotRecord& record, const PlotSeries* series, int seriesCount,
               uint16_t valueFormat);

}  // namespace qzctl
