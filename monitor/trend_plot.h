// The trend monitor's plot drawn with GDI: the bands with their scales, titles and
// lines, the time axis and the cursor. Win32 only; the dialog draws it off screen.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>

#include "monitor/trend_view.h"

struct TrendPlotInput {
  const TrendViewState* view;
  uint16_t valueFormat;
  int cursorX;   // the mouse in plot pixels, -1 when it is not over the plot
  const wchar_t* titles[kTrendValues];   // "name [unit]" per value
  const wchar_t* timeAxis;
  std::vector<TrendPoint>* points;   // room for one band's line, reused
};

// One frame of the plot, width x height, into `dc` (with the dialog's font chosen);
// the recording must not change meanwhile.
void drawTrendPlot(HDC dc, int width, int height, const TrendRecord& record, const TrendPlotInput& input);
// A scale's number in the value format's fraction digits.
void trendScaleText(uint16_t valueFormat, double value, wchar_t* out, int size);
