// Trend monitor benchmark. Natively: samples a second of the back-to-back RD_MON
// reader against the paced qzsim, beside the line's limit, and the portable work of
// one frame (four bands over five minutes of an hour's recording). Under Wine
// (build/win): the same frames drawn with GDI, as the dialog draws them.
#include <chrono>
#include <cstdio>
#include <vector>

#include "monitor/trend_record.h"
#include "monitor/trend_view.h"

namespace {

constexpr double kLineRate = 9.0;   // samples a second the dialog redraws at, at most

// An hour at the line's rate: the positions ramp, the deviation and torque swing.
void fillHour(TrendRecord* r) {
  trendStart(r);
  for (uint32_t i = 0; i < 3600 * 9; ++i) {
    int32_t v[kTrendValues] = {static_cast<int32_t>(i * 7), static_cast<int32_t>(i * 7 - 12),
                               static_cast<int32_t>(i % 97), 0, static_cast<int32_t>((i * 13) % 300 - 150), 0, 0};
    trendAdd(r, i * 111, v);
  }
}

TrendViewState fiveMinutesOfFour() {
  TrendViewState view;
  const int values[kTrendMaxTraces] = {0, 1, 2, 4};
  for (int b = 0; b < kTrendMaxTraces; ++b) view.bands[b].value = values[b];
  view.window = 3;
  return view;
}

}  // namespace

#if defined(_WIN32)
#include <windows.h>

#include "monitor/trend_plot.h"

double threadCpuSeconds() {
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  auto seconds = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7; };
  return seconds(kernel) + seconds(user);
}

int main() {
  TrendRecord record;
  fillHour(&record);
  TrendViewState view = fiveMinutesOfFour();
  const int width = 800, height = 480;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HDC target = CreateCompatibleDC(screen);
  HBITMAP shown = CreateCompatibleBitmap(screen, width, height);
  SelectObject(memory, picture);
  SelectObject(target, shown);
  SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
  std::vector<TrendPoint> points;
  TrendPlotInput input{&view, 0x35A, width / 2, {}, L"時間 [s]", &points};
  const wchar_t* titles[kTrendValues] = {L"指令位置 [mm]", L"フィードバック位置 [mm]", L"位置偏差 [mm]", L"ラッチ位置",
                                         L"出力トルク [%]", L"モニタ１", L"モニタ２"};
  for (int v = 0; v < kTrendValues; ++v) input.titles[v] = titles[v];
  const int frames = 200;
  double cpu = threadCpuSeconds();
  auto start = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) {
    drawTrendPlot(memory, width, height, record, input);
    BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  }
  cpu = threadCpuSeconds() - cpu;
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("bench_trend (GDI): %d frames of 4 bands over 5 min (%u of %u samples), %dx%d\n", frames,
              trendWindow(record, 3300000, 3600000).count, record.count, width, height);
  std::printf("  per frame: %.2f ms cpu, %.2f ms wall\n", 1000 * cpu / frames, 1000 * wall / frames);
  std::printf("  at %.0f frames a second: %.2f%% of one core (target below 2%%)\n", kLineRate,
              100 * cpu / frames * kLineRate);
  return 0;
}

#elif defined(QZ_SIM_PATH)
#include <atomic>
#include <memory>
#include <thread>

#include "bench/sim_launch.h"
#include "link/link.h"
#include "link/request.h"
#include "link/status_poll.h"
#include "monitor/monitor_poll.h"
#include "monitor/trend_recorder.h"
#include "protocol/framing.h"
#include "serial/serial_port.h"

namespace {

std::atomic<uint64_t> g_chars{0};
std::atomic<uint32_t> g_replies{0};
void countFrames(bool sent, const uint8_t*, uint16_t length) {
  g_chars += length;
  if (!sent) g_replies += 1;
}
void noNotice(void*, uint32_t) {}

// Reads back to back for `seconds` as the dialog's worker does; prints the rate and
// the rate the exchanges' characters and read ends allow.
void sample(const char* name, int seconds) {
  auto recorder = std::make_shared<TrendRecorder>();
  trendRecorderStart(recorder.get());
  auto poll = std::make_shared<MonitorPoll>();
  poll->read = readCurrentValues;
  poll->notify = noNotice;
  poll->backToBack = true;
  poll->keep = trendRecorderKeep;
  poll->sink = recorder;
  g_chars = 0;
  g_replies = 0;
  Worker worker;
  startMonitorPoll(&worker, nullptr, poll);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  workerStop(&worker, 2000);
  uint32_t samples = 0;
  {
    std::lock_guard<std::mutex> guard(recorder->lock);
    samples = recorder->record.count;
  }
  // The floor of one exchange: its characters at 11 bits and 9600 baud, and the
  // 50 ms end of the read, as the link benchmark counts it.
  uint32_t replies = g_replies.load();
  double floorSeconds = g_chars.load() * 11.0 / 9600.0 + 0.050 * replies;
  double limit = replies / floorSeconds;
  double rate = samples / static_cast<double>(seconds);
  std::printf("%-26s %6.2f samples/s  line limit %6.2f/s (%.0f chars an exchange)  %.1f%%\n", name, rate, limit,
              replies ? static_cast<double>(g_chars.load()) / replies : 0.0, 100 * rate / limit);
}

}  // namespace

int main() {
  // The frame's portable part: which samples, each band's scale and line.
  TrendRecord record;
  fillHour(&record);
  TrendViewState view = fiveMinutesOfFour();
  std::vector<TrendPoint> points(4 * 801);
  const int frames = 500;
  auto start = std::chrono::steady_clock::now();
  int drawn = 0;
  for (int f = 0; f < frames; ++f) {
    uint32_t from = 0, to = 0;
    trendViewSpan(record, view, &from, &to);
    TrendSpan shown = trendWindow(record, from, to);
    for (const TrendBand& band : view.bands) {
      TrendRange range = trendBandRange(record, shown, band, 0x35A);
      drawn += trendBandPath(record, shown, band.value, 0x35A, range, from, to, 801, 100, points.data(), 4 * 801);
    }
  }
  double perFrame = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
  std::printf("bench_trend: a frame of 4 bands over 5 min of an hour's recording: %.3f ms (%d points), "
              "%.2f%% of one core at %.0f frames a second\n",
              1000 * perFrame, drawn / frames, 100 * perFrame * kLineRate, kLineRate);

  Sim sim;
  if (!openPacedLink(&sim, "bench_trend")) return 1;
  std::printf("qzsim --pace on %s, 9600 baud 8E1\n", sim.pty.c_str());
  setFrameObserver(countFrames);
  sample("RD_MON alone", 20);
  startStatusPolling(nullptr);
  sample("RD_MON beside status poll", 20);
  stopStatusPolling();
  setFrameObserver(nullptr);
  closePacedLink(&sim);
  return 0;
}

#else
int main() {
  std::puts("bench_trend: needs qzsim (native) or Windows");
  return 1;
}
#endif
