// Trend recording: the ring over an hour of samples, values in display units, the
// CSV bytes and the chart of a time window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>
#include <algorithm>

#include "monitor/trend_chart.h"
#include "monitor/trend_record.h"
#include "monitor/trend_view.h"

namespace {

void add(TrendRecord* r, uint32_t ms, int32_t first) {
  int32_t v[kTrendValues];
  for (int k = 0; k < kTrendValues; ++k) v[k] = first + k;
  trendAdd(r, ms, v);
}

TEST(TrendRecord, AnHourAndMoreWrapsDroppingTheOldestAndReadsInTimeOrder) {
  TrendRecord r;
  trendStart(&r);
  const TrendSample* storage = r.samples.data();
  // Twenty samples a second for an hour, then 5000 more: the first 5000 go.
  const uint32_t total = kTrendCapacity + 5000;
  for (uint32_t i = 0; i < total; ++i) add(&r, i * 50, static_cast<int32_t>(i) * 10);
  EXPECT_EQ(r.samples.data(), storage) << "allocated once";
  EXPECT_EQ(r.samples.size(), kTrendCapacity);
  ASSERT_EQ(r.count, kTrendCapacity);
  EXPECT_EQ(r.dropped, 5000u);
  for (uint32_t i = 0; i < r.count; ++i) {
    const TrendSample& s = trendSample(r, i);
    ASSERT_EQ(s.ms, (i + 5000) * 50) << i;
    ASSERT_EQ(s.values[0], static_cast<int32_t>(i + 5000) * 10) << i;
    ASSERT_EQ(s.values[6], static_cast<int32_t>(i + 5000) * 10 + 6) << i;
  }
  // A window takes the samples on its edges; one before the oldest starts at the oldest.
  TrendSpan w = trendWindow(r, 300000, 310000);
  EXPECT_EQ(w.first, 1000u);
  EXPECT_EQ(w.count, 201u);
  EXPECT_EQ(trendSample(r, w.first).ms, 300000u);
  w = trendWindow(r, 0, 250000);
  EXPECT_EQ(w.first, 0u);
  EXPECT_EQ(w.count, 1u);
  w = trendWindow(r, (total - 1) * 50 + 1, UINT32_MAX);
  EXPECT_EQ(w.count, 0u) << "after the newest";
  EXPECT_EQ(trendWindow(r, 0, UINT32_MAX).count, kTrendCapacity);
}

TEST(TrendRecord, ValuesInDisplayUnitsAsTheValueMonitorShowsThem) {
  char text[MONITOR_VALUE_CHARS];
  // Positions in the command unit with three fraction digits.
  EXPECT_DOUBLE_EQ(trendDisplayValue(0x53C, -1), -0.001);
  trendDisplayText(0x53C, -1, text);
  EXPECT_STREQ(text, "-0.001");
  EXPECT_DOUBLE_EQ(trendDisplayValue(0x53C, 100000), 100.0);
  trendDisplayText(0x53C, 100000, text);
  EXPECT_STREQ(text, "100.000");
  // The torque in percent goes through the same word; without fraction digits it is whole.
  EXPECT_DOUBLE_EQ(trendDisplayValue(0x0508, -250), -250.0);
  trendDisplayText(0x0508, -250, text);
  EXPECT_STREQ(text, "-250");
  // A value too wide for the format has no text, as on the monitor; the chart still plots it.
  trendDisplayText(0x0524, 123456, text);
  EXPECT_STREQ(text, "");
  EXPECT_DOUBLE_EQ(trendDisplayValue(0x0524, 123456), 1234.56);
}

TEST(TrendRecord, CsvBytesOfTheChosenValuesWrittenOverALongerFile) {
  TrendRecord r;
  trendStart(&r, 2);
  add(&r, 0, 1);   // pushed out by the third
  add(&r, 108, -2);
  add(&r, 216, 12345);
  const TrendTrace traces[2] = {{2, "deviation", ""}, {4, "torque", "[%]"}};
  const std::string expected =
      "ms,positionDeviation,outputTorque\r\n"
      "108,0.00,0.02\r\n"
      "216,123.47,123.49\r\n";
  EXPECT_EQ(trendCsv(r, traces, 2, 0x52A), expected);

  std::filesystem::path file = std::filesystem::temp_directory_path() / "qz_trend_test.csv";
  std::ofstream(file, std::ios::binary) << std::string(1000, 'x');
  ASSERT_EQ(saveTrendCsv(file.string().c_str(), r, traces, 2, 0x52A), 0);
  std::stringstream bytes;
  {
    std::ifstream in(file, std::ios::binary);   // closed before the remove, which Windows refuses on an open file
    bytes << in.rdbuf();
  }
  EXPECT_EQ(bytes.str(), expected) << "nothing of the old file remains";
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
}

TEST(TrendChart, AWindowShowsItsOwnSamplesOnItsOwnSeconds) {
  TrendRecord r;
  trendStart(&r, 100);
  for (uint32_t i = 0; i < 100; ++i) add(&r, i * 100, static_cast<int32_t>(i));
  const TrendTrace traces[1] = {{0, "command position", "[command unit]"}};
  std::string svg = trendSvg(r, 2000, 4000, traces, 1, 0x0508);
  EXPECT_NE(svg.find("21 samples over 2 s"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">2</text>"), std::string::npos) << "the axis starts at the window's second";
  EXPECT_NE(svg.find(">4 s</text>"), std::string::npos) << svg;
  EXPECT_EQ(svg.find(">0</text>"), std::string::npos) << svg;
  EXPECT_NE(svg.find(">40</text>"), std::string::npos) << "the highest value of the window";
  EXPECT_NE(svg.find("<path d=\"M90 150"), std::string::npos) << "the first sample at the left, lowest";
}

TEST(TrendView, TraceableValuesWindowsScalesAndTheCursorsSample) {
  EXPECT_TRUE(trendValueTraceable(0, false));
  EXPECT_TRUE(trendValueTraceable(4, false));
  EXPECT_FALSE(trendValueTraceable(3, true)) << "the latch position is no trace";
  EXPECT_FALSE(trendValueTraceable(5, false));
  EXPECT_TRUE(trendValueTraceable(6, true));
  EXPECT_FALSE(trendValueTraceable(7, true));

  // The view is always one whole window: from 0 until the recording fills it, then
  // ending with the newest sample; a pause holds it while samples come.
  TrendRecord r;
  trendStart(&r, 10);
  TrendViewState view;
  uint32_t from = 1, to = 1;
  trendViewSpan(r, view, &from, &to);
  EXPECT_EQ(from, 0u) << "nothing recorded";
  EXPECT_EQ(to, 10000u);
  add(&r, 5000, 200);
  trendViewSpan(r, view, &from, &to);
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 10000u);
  for (uint32_t i = 1; i < 10; ++i) add(&r, 5000 + i * 1000, i == 9 ? 500 : 200);
  trendViewSpan(r, view, &from, &to);
  EXPECT_EQ(from, 4000u);
  EXPECT_EQ(to, 14000u);
  TrendRecord later = r;
  trendSetPaused(&view, later, true);
  add(&later, 20000, 0);
  uint32_t pausedFrom = 0, pausedTo = 0;
  trendViewSpan(later, view, &pausedFrom, &pausedTo);
  EXPECT_EQ(pausedTo, 14000u) << "paused: the view stays while recording goes on";
  trendSetPaused(&view, later, true);
  trendViewSpan(later, view, &pausedFrom, &pausedTo);
  EXPECT_EQ(pausedTo, 14000u) << "a second pause does not move it";
  trendSetPaused(&view, later, false);
  view.window = 3;
  trendViewSpan(later, view, &pausedFrom, &pausedTo);
  EXPECT_EQ(pausedFrom, 0u);
  EXPECT_EQ(pausedTo, 300000u);

  // Two decimals: 2.00 flat widens to 1.00 .. 3.00; with the newest 2.00 .. 5.00.
  TrendRange flat = trendValueRange(r, trendWindow(r, 0, 13000), 0, 0x52A);
  EXPECT_DOUBLE_EQ(flat.lo, 1.0);
  EXPECT_DOUBLE_EQ(flat.hi, 3.0);
  TrendRange all = trendValueRange(r, trendWindow(r, 0, to), 0, 0x52A);
  EXPECT_DOUBLE_EQ(all.lo, 2.0);
  EXPECT_DOUBLE_EQ(all.hi, 5.0);

  TrendSpan shown = trendWindow(r, 7000, 10000);   // samples 2 .. 5
  EXPECT_EQ(trendNearestSample(r, shown, 0), 2u);
  EXPECT_EQ(trendNearestSample(r, shown, 8400), 3u);
  EXPECT_EQ(trendNearestSample(r, shown, 8500), 3u) << "the earlier on a tie";
  EXPECT_EQ(trendNearestSample(r, shown, 8501), 4u);
  EXPECT_EQ(trendNearestSample(r, shown, 99999), 5u);
  EXPECT_EQ(trendNearestSample(r, TrendSpan{}, 8000), r.count);
}

}  // namespace

TEST(TrendView, FixedLimitsAreTwoNumbersTheUpperAboveTheLower) {
  TrendRange limits{7, 8};
  EXPECT_TRUE(trendParseLimits(" -1.5", "2.25 ", &limits));
  EXPECT_DOUBLE_EQ(limits.lo, -1.5);
  EXPECT_DOUBLE_EQ(limits.hi, 2.25);
  for (auto [low, high] : {std::pair{"2", "2"}, {"3", "1"}, {"", "1"}, {"1x", "2"}, {"0", "1e999"}, {"nan", "1"}})
    EXPECT_FALSE(trendParseLimits(low, high, &limits)) << low << " " << high;
  EXPECT_DOUBLE_EQ(limits.lo, -1.5) << "a refusal leaves the limits as they were";
}

TEST(TrendView, FiveMinutesDrawAsAFewPointsPerColumnKeepingEveryPeak) {
  TrendRecord r;
  trendStart(&r);
  // Ten samples a second for five minutes: a slow ramp with one spike and one dip.
  for (uint32_t i = 0; i < 3000; ++i) {
    int32_t v = static_cast<int32_t>(i);
    if (i == 1234) v = 100000;
    if (i == 2345) v = -100000;
    add(&r, i * 100, v);
  }
  TrendSpan shown = trendWindow(r, 0, 300000);
  TrendRange range = trendValueRange(r, shown, 0, 0x05);
  std::vector<TrendPoint> points(4 * 200);
  int n = trendBandPath(r, shown, 0, 0x05, range, 0, 300000, 200, 101, points.data(), 800);
  ASSERT_GT(n, 200);
  ASSERT_LE(n, 800);
  int top = 1000, bottom = -1;
  for (int k = 0; k < n; ++k) {
    if (k) ASSERT_GE(points[k].x, points[k - 1].x) << "left to right";
    ASSERT_GE(points[k].x, 0);
    ASSERT_LT(points[k].x, 200);
    top = std::min(top, points[k].y);
    bottom = std::max(bottom, points[k].y);
  }
  EXPECT_EQ(top, 0) << "the spike reaches the top";
  EXPECT_EQ(bottom, 100) << "the dip reaches the bottom";
  // Fixed limits narrower than the values: the line sits on the band's edges.
  n = trendBandPath(r, shown, 0, 0x05, TrendRange{1000, 2000}, 0, 300000, 200, 101, points.data(), 800);
  for (int k = 0; k < n; ++k) ASSERT_TRUE(points[k].y >= 0 && points[k].y <= 100) << k;
  EXPECT_EQ(points[0].y, 100);
  EXPECT_EQ(points[n - 1].y, 0);
  EXPECT_EQ(trendBandPath(r, shown, 0, 0x05, range, 0, 300000, 200, 101, points.data(), 10), 10) << "never past the room given";
}
