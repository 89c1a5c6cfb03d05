// The chart of a watched current value monitor: recorded samples written as a plain SVG file.
#include "cli/monitor_plot.h"

#include <cmath>
#include <cstdio>
#include <fstream>

#include "protocol/number_format.h"

namespace qzctl {
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

void plotAdd(PlotRecord* r, long ms, const int32_t values[kPlotValues]) {
  if (r->polls++ % r->stride != 0) return;
  if (r->count == kPlotMaxSamples) {
    for (uint32_t i = 0; i < r->count / 2; ++i) {
      r->ms[i] = r->ms[2 * i];
      for (int k = 0; k < kPlotValues; ++k) r->values[i * kPlotValues + k] = r->values[2 * i * kPlotValues + k];
    }
    r->count /= 2;
    r->ms.resize(r->count);
    r->values.resize(static_cast<size_t>(r->count) * kPlotValues);
    r->stride *= 2;
  }
  r->ms.push_back(ms);
  r->values.insert(r->values.end(), values, values + kPlotValues);
  ++r->count;
}

bool writePlot(const std::string& path, const PlotRecord& r, const PlotSeries* series, int seriesCount,
               uint16_t valueFormat) {
  double scale = std::pow(10.0, (valueFormat & FMT_FRACTION_MASK) >> 4);
  double seconds = r.count ? r.ms[r.count - 1] / 1000.0 : 0;
  double span = seconds > 0 ? seconds : 1;
  double plotWidth = kWidth - kLeft - kRight;
  double height = kTop + seriesCount * (kPanel + kGap) + 10;
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    number(kWidth) + "\" height=\"" + number(height) + "\" viewBox=\"0 0 " + number(kWidth) + " " +
                    number(height) + "\" font-family=\"sans-serif\" font-size=\"11\">\n" +
                    "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n<text x=\"" + number(kLeft) +
                    "\" y=\"20\" font-size=\"14\">current values, " + std::to_string(r.count) +
                    " samples over " + number(std::round(seconds * 10) / 10) + " s</text>\n";
  double step = tickStep(span, 8);
  for (int k = 0; k < seriesCount; ++k) {
    double top = kTop + k * (kPanel + kGap);
    double lo = 0, hi = 0;
    for (uint32_t i = 0; i < r.count; ++i) {
      double v = r.values[i * kPlotValues + k] / scale;
      if (i == 0 || v < lo) lo = v;
      if (i == 0 || v > hi) hi = v;
    }
    if (hi - lo < 1 / scale) {   // a flat line sits in the middle of its panel
      lo -= 1;
      hi += 1;
    }
    auto y = [&](double v) { return top + kPanel - (v - lo) / (hi - lo) * kPanel; };
    auto x = [&](double s) { return kLeft + s / span * plotWidth; };
    std::string unit = series[k].unit && *series[k].unit ? std::string(" ") + series[k].unit : "";
    svg += "<g>\n<text x=\"" + number(kLeft) + "\" y=\"" + number(top - 6) + "\" font-weight=\"bold\">" +
           escaped(std::string(series[k].title) + unit) + "</text>\n";
    svg += "<rect x=\"" + number(kLeft) + "\" y=\"" + number(top) + "\" width=\"" + number(plotWidth) +
           "\" height=\"" + number(kPanel) + "\" fill=\"none\" stroke=\"#999\"/>\n";
    svg += "<text x=\"" + number(kLeft - 4) + "\" y=\"" + number(top + 10) + "\" text-anchor=\"end\">" +
           escaped(number(hi)) + "</text>\n<text x=\"" + number(kLeft - 4) + "\" y=\"" + number(top + kPanel) +
           "\" text-anchor=\"end\">" + escaped(number(lo)) + "</text>\n";
    for (double t = 0; t <= span + 1e-9; t += step)
      svg += "<text x=\"" + number(x(t)) + "\" y=\"" + number(top + kPanel + 13) + "\" text-anchor=\"middle\">" +
             number(t) + (t + step > span + 1e-9 ? " s" : "") + "</text>\n";
    std::string d;
    for (uint32_t i = 0; i < r.count; ++i)
      d += (i ? " L" : "M") + number(std::round(x(r.ms[i] / 1000.0) * 10) / 10) + " " +
           number(std::round(y(r.values[i * kPlotValues + k] / scale) * 10) / 10);
    if (d.empty()) d = "M" + number(kLeft) + " " + number(top + kPanel / 2);
    svg += "<path d=\"" + d + "\" fill=\"none\" stroke=\"#1f5fbf\" stroke-width=\"1.5\"/>\n</g>\n";
  }
  svg += "</svg>\n";
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << svg;
  return static_cast<bool>(f.flush());
}

}  // namespace qzctl
