// The trend monitor's plot drawn with GDI.
#include <windows.h>

#include "monitor/trend_plot.h"

#include <cstdio>
#include <cwchar>

#include "monitor/monitor_view.h"
#include "protocol/number_format.h"
#include "toolkit/file_dialog.h"

namespace {

constexpr COLORREF kTraceColours[kTrendMaxTraces] = {RGB(0, 70, 200), RGB(200, 30, 30), RGB(0, 130, 60),
                                                     RGB(150, 0, 160)};
constexpr COLORREF kGridColour = RGB(210, 210, 210);
constexpr COLORREF kFrameColour = RGB(140, 140, 140);
constexpr int kScaleWidth = 70;   // pixels left of the bands for their scales
constexpr int kAxisHeight = 20;   // pixels under the bands for the time marks
static_assert(sizeof(TrendPoint) == sizeof(POINT) && alignof(TrendPoint) == alignof(POINT),
              "a band's points go to Polyline as they are");

void line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

void text(HDC dc, int x, int y, const wchar_t* t, COLORREF colour, UINT align = TA_LEFT | TA_TOP) {
  SetTextColor(dc, colour);
  SetTextAlign(dc, align);
  TextOutW(dc, x, y, t, static_cast<int>(std::wcslen(t)));
}

}  // namespace

void drawTrendPlot(HDC dc, int width, int height, const TrendRecord& r, const TrendPlotInput& in) {
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  // Texts on white, so a trace passing under a title leaves it readable.
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(255, 255, 255));
  int bands[kTrendMaxTraces], bandCount = 0;
  for (int b = 0; b < kTrendMaxTraces; ++b)
    if (in.view->bands[b].value >= 0) bands[bandCount++] = b;
  int left = kScaleWidth, right = width - 6, plotWidth = right - left;
  int bandsHeight = height - kAxisHeight - 4;
  if (plotWidth < 8 || bandsHeight < 16) return;
  HPEN gridPen = CreatePen(PS_DOT, 1, kGridColour);
  HPEN framePen = CreatePen(PS_SOLID, 1, kFrameColour);
  HGDIOBJ oldPen = SelectObject(dc, framePen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));

  uint32_t from = 0, to = 0;
  trendViewSpan(r, *in.view, &from, &to);
  TrendSpan shown = trendWindow(r, from, to);
  // The cursor snaps to the sample nearest the mouse.
  uint32_t cursorSample = r.count;
  int cursorX = -1;
  if (in.cursorX >= left && in.cursorX <= right && shown.count) {
    uint32_t ms = from + static_cast<uint32_t>(static_cast<double>(in.cursorX - left) * (to - from) / plotWidth);
    cursorSample = trendNearestSample(r, shown, ms);
    cursorX = left + static_cast<int>((trendSample(r, cursorSample).ms - from) * static_cast<double>(plotWidth) /
                                          (to - from) + 0.5);
  }
  wchar_t label[64];
  for (int i = 0; i < bandCount; ++i) {
    const TrendBand& band = in.view->bands[bands[i]];
    int top = 4 + bandsHeight * i / bandCount, bottom = 4 + bandsHeight * (i + 1) / bandCount - 6;
    if (bottom - top < 8) continue;
    SelectObject(dc, framePen);
    Rectangle(dc, left, top, right + 1, bottom + 1);
    SelectObject(dc, gridPen);
    line(dc, left + 1, (top + bottom) / 2, right, (top + bottom) / 2);
    TrendRange range = trendBandRange(r, shown, band, in.valueFormat);
    trendScaleText(in.valueFormat, range.hi, label, 64);
    text(dc, left - 4, top, label, RGB(0, 0, 0), TA_RIGHT | TA_TOP);
    trendScaleText(in.valueFormat, range.lo, label, 64);
    text(dc, left - 4, bottom, label, RGB(0, 0, 0), TA_RIGHT | TA_BOTTOM);
    COLORREF colour = kTraceColours[bands[i]];
    int inner = bottom - top - 3;
    in.points->resize(static_cast<size_t>(4) * (plotWidth + 1));
    int n = trendBandPath(r, shown, band.value, in.valueFormat, range, from, to, plotWidth + 1, inner,
                          in.points->data(), static_cast<int>(in.points->size()));
    for (int k = 0; k < n; ++k) (*in.points)[k] = {(*in.points)[k].x + left, (*in.points)[k].y + top + 2};
    // Two one-pixel lines a pixel apart (right and down), so flat and steep parts are
    // both two pixels thick: a wide pen costs a hundred times more to draw.
    HPEN tracePen = CreatePen(PS_SOLID, 1, colour);
    SelectObject(dc, tracePen);
    const POINT* path = reinterpret_cast<const POINT*>(in.points->data());
    if (n > 1) Polyline(dc, path, n);
    for (int k = 0; k < n; ++k) (*in.points)[k] = {(*in.points)[k].x + 1, (*in.points)[k].y + 1};
    if (n > 1) Polyline(dc, path, n);
    SelectObject(dc, framePen);
    DeleteObject(tracePen);
    text(dc, left + 4, top + 2, in.titles[band.value], colour);
    if (cursorSample < r.count) {
      char value[MONITOR_VALUE_CHARS];
      trendDisplayText(in.valueFormat, trendSample(r, cursorSample).values[band.value], value);
      wchar_t wide[MONITOR_VALUE_CHARS];
      utf8ToWide(value, wide, MONITOR_VALUE_CHARS);
      text(dc, right - 4, top + 2, wide, colour, TA_RIGHT | TA_TOP);
    }
  }
  // The time axis: seconds of recording time, marks at whole steps.
  int axis = height - kAxisHeight;
  SelectObject(dc, framePen);
  line(dc, left, axis, right + 1, axis);
  uint32_t step = trendTickStepMs(to - from);
  for (uint32_t t = (from + step - 1) / step * step; t <= to; t += step) {
    int x = left + static_cast<int>(static_cast<double>(t - from) * plotWidth / (to - from) + 0.5);
    line(dc, x, axis, x, axis + 4);
    std::swprintf(label, 64, L"%u", t / 1000);
    text(dc, x, axis + 5, label, RGB(0, 0, 0), TA_CENTER | TA_TOP);
  }
  text(dc, 4, axis + 5, in.timeAxis, RGB(0, 0, 0));
  if (cursorX >= 0) {
    SelectObject(dc, GetStockObject(BLACK_PEN));
    line(dc, cursorX, 4, cursorX, axis);
    uint32_t ms = trendSample(r, cursorSample).ms;
    std::swprintf(label, 64, L"%u.%03u", ms / 1000, ms % 1000);
    text(dc, cursorX + 3, axis - 14, label, RGB(0, 0, 0));
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(gridPen);
  DeleteObject(framePen);
}


void trendScaleText(uint16_t valueFormat, double value, wchar_t* out, int size) {
  std::swprintf(out, size, L"%.*f", (valueFormat & FMT_FRACTION_MASK) >> 4, value);
}
