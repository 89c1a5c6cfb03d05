// The chart of a trend recording written as a plain SVG file.
#include "monitor/trend_chart.h"

#include <cmath>
#include <cstdio>

#include "files/guarded_file.h"
#include "monitor/trend_view.h"

namespace {

constexpr double kWidth = 860, kLeft = 90, kRight = 20, kPanel = 110, kGap = 40, kTop = 40;

std::string number(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.10g", v);
  return b;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

// A tick step of 1, 2 or 5 times a power of ten giving about `want` ticks over `span`.
double tickStep(double span, int want) {
  if (span <= 0) return 1;
  double raw = span / want, power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (raw <= m * power) return m * power;
  return 10 * power;
}

}  // namespace

std::string trendSvg(const TrendRecord& r, uint32_t fromMs, uint32_t toMs, const TrendTrace* traces,
                     int traceCount, uint16_t valueFormat) {
  TrendSpan shown = trendWindow(r, fromMs, toMs);
  double start = fromMs / 1000.0;
  double seconds = toMs > fromMs ? (toMs - fromMs) / 1000.0 : 0;
  double span = seconds > 0 ? seconds : 1;
  double plotWidth = kWidth - kLeft - kRight;
  double height = kTop + traceCount * (kPanel + kGap) + 10;
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    number(kWidth) + "\" height=\"" + number(height) + "\" viewBox=\"0 0 " + number(kWidth) + " " +
                    number(height) + "\" font-family=\"sans-serif\" font-size=\"11\">\n" +
                    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n<text x=\"" + number(kLeft) +
                    "\" y=\"20\" font-size=\"14\">current values, " + std::to_string(shown.count) +
                    " samples over " + number(std::round(seconds * 10) / 10) + " s</text>\n";
  double step = tickStep(span, 8);
  auto value = [&](uint32_t i, int k) {
    return trendDisplayValue(valueFormat, trendSample(r, shown.first + i).values[traces[k].value]);
  };
  for (int k = 0; k < traceCount; ++k) {
    double top = kTop + k * (kPanel + kGap);
    TrendRange range = trendValueRange(r, shown, traces[k].value, valueFormat);
    double lo = range.lo, hi = range.hi;
    auto y = [&](double v) { return top + kPanel - (v - lo) / (hi - lo) * kPanel; };
    auto x = [&](double s) { return kLeft + (s - start) / span * plotWidth; };
    std::string unit = traces[k].unit && *traces[k].unit ? std::string(" ") + traces[k].unit : "";
    svg += "<g>\n<text x=\"" + number(kLeft) + "\" y=\"" + number(top - 6) + "\" font-weight=\"bold\">" +
           escaped(std::string(traces[k].title) + unit) + "</text>\n";
    svg += "<rect x=\"" + number(kLeft) + "\" y=\"" + number(top) + "\" width=\"" + number(plotWidth) +
           "\" height=\"" + number(kPanel) + "\" fill=\"none\" stroke=\"#999\"/>\n";
    svg += "<text x=\"" + number(kLeft - 4) + "\" y=\"" + number(top + 10) + "\" text-anchor=\"end\">" +
           escaped(number(hi)) + "</text>\n<text x=\"" + number(kLeft - 4) + "\" y=\"" + number(top + kPanel) +
           "\" text-anchor=\"end\">" + escaped(number(lo)) + "</text>\n";
    // Ticks on the multiples of the step inside the window; the last one says the unit.
    double end = start + span;
    for (double t = std::ceil(start / step) * step; t <= end + 1e-9; t += step)
      svg += "<text x=\"" + number(x(t)) + "\" y=\"" + number(top + kPanel + 13) + "\" text-anchor=\"middle\">" +
             number(t) + (t + step > end + 1e-9 ? " s" : "") + "</text>\n";
    std::string d;
    for (uint32_t i = 0; i < shown.count; ++i)
      d += (i ? " L" : "M") + number(std::round(x(trendSample(r, shown.first + i).ms / 1000.0) * 10) / 10) + " " +
           number(std::round(y(value(i, k)) * 10) / 10);
    if (d.empty()) d = "M" + number(kLeft) + " " + number(top + kPanel / 2);
    svg += "<path d=\"" + d + "\" fill=\"none\" stroke=\"#1f5fbf\" stroke-width=\"1.5\"/>\n</g>\n";
  }
  svg += "</svg>\n";
  return svg;
}

uint16_t saveTrendSvg(const char* path, const TrendRecord& record, uint32_t fromMs, uint32_t toMs,
                      const TrendTrace* traces, int traceCount, uint16_t valueFormat) {
  std::string svg = trendSvg(record, fromMs, toMs, traces, traceCount, valueFormat);
  return replaceWholeFile(LOCATION_AS_GIVEN, 0, path, svg.data(), static_cast<uint32_t>(svg.size()));
}
