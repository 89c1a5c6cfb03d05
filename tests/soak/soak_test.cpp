// The soak: the real program for QZ_SOAK_MINUTES under a qzsim fault storm of
// QZ_SOAK_STORM percent, with every monitor, the output port and a positioning
// repeat open, and parameters saved, loaded and verified in a loop. A line of
// figures a minute, their growth at the end; it fails on an unknown box, a move
// after a stop, a silent difference after the storm, or a program that no longer answers.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "resources/resource.h"
#include "link/status_poll.h"
#include "protocol/framing.h"
#include "serial/serial_port.h"
#include "shell/shell_win32.h"
#include "tests/gui/app_driver.h"

namespace {

struct Figures {
  double minute = 0;   // since the storm began
  unsigned long long privateBytes = 0;
  unsigned long handles = 0, threads = 0;
  unsigned long long requests = 0, failed = 0, cycles = 0, boxes = 0, pressed = 0;
};

// The process's own figures: the program runs in it, the driver adds a fixed few.
// Private bytes are the commit charge (PagefileUsage: Wine leaves PrivateUsage 0);
// handles and threads come from the system's process list, which Wine fills where
// GetProcessHandleCount answers 0 (with the handle table's size, in steps of 32:
// a leak shows once it fills another step).
Figures processFigures() {
  Figures f;
  PROCESS_MEMORY_COUNTERS memory{};
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) f.privateBytes = memory.PagefileUsage;
  static thread_local std::vector<char> buffer(4 << 20);   // the reporter and the loop both sample
  ULONG length = 0;
  if (NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                               &length) != 0)
    return f;
  for (size_t at = 0;;) {
    auto* process = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buffer.data() + at);
    if (reinterpret_cast<ULONG_PTR>(process->UniqueProcessId) == GetCurrentProcessId()) {
      f.handles = process->HandleCount;
      f.threads = process->NumberOfThreads;
    }
    if (!process->NextEntryOffset) break;
    at += process->NextEntryOffset;
  }
  return f;
}

// A number after `key=` in GET STORM's answer.
unsigned long long stormField(const std::string& status, const char* key) {
  size_t at = status.find(std::string(" ") + key + "=");
  return at == std::string::npos ? 0 : std::strtoull(status.c_str() + at + std::strlen(key) + 2, nullptr, 10);
}

// Presses every message box of the program as it comes: Yes where it asks (a
// reconnection), else OK. Keeps the texts that no string of the program starts.
struct BoxWatcher {
  std::atomic<bool> stop{false};
  std::atomic<unsigned long long> seen{0}, pressed{0};
  std::mutex lock;
  std::vector<std::wstring> unknown;
  std::map<std::wstring, int> texts;   // every box text and how often it came
  std::vector<std::wstring> known;
  std::thread thread;

  void start() {
    for (UINT id = 1; id < 1024; ++id)
      if (std::wstring text = resourceText(id); !text.empty()) known.push_back(text);
    thread = std::thread([this] {
      HWND last = nullptr;
      while (!stop) {
        std::wstring text;
        HWND box = waitMessageBox(&text, 200);
        if (!box) continue;
        if (box != last) {
          ++seen;
          {
            std::lock_guard<std::mutex> hold(lock);
            ++texts[text];
          }
          bool ours = false;
          for (const std::wstring& k : known) ours = ours || text.rfind(k, 0) == 0;
          if (!ours) {
            std::lock_guard<std::mutex> hold(lock);
            unknown.push_back(text);
          }
        }
        last = box;
        clickButton(box, GetDlgItem(box, IDYES) ? IDYES : IDOK);
        if (waitGone(box, 2000)) ++pressed;
      }
    });
  }
  ~BoxWatcher() {
    stop = true;
    if (thread.joinable()) thread.join();
  }
};

void printFigures(const char* label, const Figures& f) {
  std::printf("soak %-7s private %8llu KiB  handles %5lu  threads %3lu  requests %7llu  failed %5llu  cycles %5llu  "
              "boxes %4llu (pressed %llu)\n",
              label, f.privateBytes / 1024, f.handles, f.threads, f.requests, f.failed, f.cycles, f.boxes, f.pressed);
  std::fflush(stdout);
}

void printGrowth(const char* name, double from, double to) {
  std::printf("soak growth %-20s %12.0f -> %12.0f  %+.0f (%+.2f%%)\n", name, from, to, to - from,
              from > 0 ? (to - from) * 100.0 / from : 0.0);
}

// Monitors closed by a box and opened again move the figures by megabytes from
// minute to minute; a leak is what rises under that churn. The least-squares slope
// of the samples from the sixth minute on, as a share of their mean per hour, with
// its standard error: what the churn alone could have made of a flat line.
template <typename Figure>
void printTrend(const char* name, const std::vector<Figures>& samples, Figure figure) {
  constexpr double kFrom = 5;
  std::vector<std::pair<double, double>> points;
  for (const Figures& f : samples)
    if (f.minute >= kFrom) points.emplace_back(f.minute, static_cast<double>(figure(f)));
  if (points.size() < 10) return;
  double n = static_cast<double>(points.size()), sx = 0, sy = 0;
  for (auto [x, y] : points) sx += x, sy += y;
  double mx = sx / n, mean = sy / n, sxx = 0, sxy = 0;
  for (auto [x, y] : points) sxx += (x - mx) * (x - mx), sxy += (x - mx) * (y - mean);
  double slope = sxy / sxx, residuals = 0;   // slope per minute
  for (auto [x, y] : points) residuals += (y - mean - slope * (x - mx)) * (y - mean - slope * (x - mx));
  double error = std::sqrt(residuals / (n - 2) / sxx);
  auto perHour = [mean](double perMinute) { return mean > 0 ? perMinute * 60 * 100.0 / mean : 0.0; };
  std::printf("soak trend %-22s from min %.0f, %zu samples: %+.0f a minute, %+.2f%% +- %.2f%% of the mean (%.0f) an hour\n",
              name, kFrom + 1, points.size(), slope, perHour(slope), perHour(error), mean);
}

// A transfer on the paced line shares it with every monitor: a verify may take
// minutes. A transfer stopped by a failure waits with its label for Cancel; one
// whose label stays still for kStillMs is pressed Cancel, as a person would, and
// counts as stopped when a box came meanwhile, else as stalled. A reply the storm
// left out holds the line for a whole read, and a retry that then gets through shows
// no box, so every silent reply on the line starts the still time again.
constexpr int kTransferMs = 300000;
constexpr DWORD kStillMs = 20000;
// A box's reconnection waits on the user-interface thread for the exchange under
// way: at worst every attempt silent to the end of its read. Longer than that is a hang.
const DWORD kLongestExchangeMs =
    kTransactionAttempts * kPortTimings.readTotalConstant + (kTransactionAttempts - 1) * kRetryPauseMs;

// Milliseconds until the main window answered, or -1 when it did not within
// the longest exchange and a margin.
long answerMs() {
  DWORD start = GetTickCount();
  DWORD_PTR answer = 0;
  while (GetTickCount() - start < kLongestExchangeMs + 10000)
    if (SendMessageTimeoutW(mainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer)) return GetTickCount() - start;
  return -1;
}
int g_stopped = 0, g_stalled = 0;

// A file command, its file dialog answered with `path`; a dialog that came late or
// stays up is cancelled, so that the next command never opens one inside it.
bool fileCommand(int command, const std::wstring& path) {
  postCommand(command);
  HWND files = waitFileDialog(kTransferMs / 10);
  if (!files) return false;
  chooseInFileDialog(files, path);
  for (int waited = 0; waited < 30000; waited += 500) {
    files = waitFileDialog(100);
    if (!files) return true;
    Sleep(500);
  }
  std::printf("soak: a file dialog stayed up; cancelled\n");
  clickButton(files, IDCANCEL);
  waitGone(files, 5000);
  return false;
}

// The shipped rotary definitions with only the first kServoParameters servo
// parameters (every option parameter stays): on the paced line under a storm a
// save, load and verify of all of them takes minutes, and the loop must turn.
constexpr int kServoParameters = 10;
void writeSoakDefinitions(const std::wstring& dir) {
  std::vector<unsigned char> bytes = fileBytes(dir + L"\\ParmDef.cfg");
  std::string text(bytes.begin(), bytes.end());
  size_t cut = 0;
  for (int n = 0; n <= kServoParameters && cut != std::string::npos; ++n) cut = text.find("\nPn", cut + 1);
  size_t options = text.find("\nPn08");
  if (cut == std::string::npos || options == std::string::npos || options < cut) return;
  text.erase(cut, options - cut);
  if (FILE* f = _wfopen((dir + L"\\ParmDef.cfg").c_str(), L"wb")) {
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }
}

unsigned long long silentReplies() {
  std::string status;
  simReply("GET STORM", &status);
  return stormField(status, "noreply");
}

// Waits while `running` says the dialog's transfer goes on; false when it was cancelled.
template <typename Running>
bool runsToEnd(HWND dialog, const std::atomic<unsigned long long>& boxesSeen, Running running) {
  const unsigned long long before = boxesSeen;
  std::wstring label;
  unsigned long long silent = silentReplies();
  for (DWORD since = GetTickCount(), start = since; running(); Sleep(500)) {
    std::wstring now = controlText(dialog, IDC_TRANSFER_LABEL);
    if (now != label) {
      label = now;
      since = GetTickCount();
    } else if (GetTickCount() - since > kStillMs && silentReplies() != silent) {
      silent = silentReplies();
      since = GetTickCount();
    } else if (GetTickCount() - since > kStillMs || GetTickCount() - start > static_cast<DWORD>(kTransferMs)) {
      if (boxesSeen > before) ++g_stopped;
      else {
        ++g_stalled;
        std::printf("soak: a transfer stood still for %lu ms without a box; cancelled\n", GetTickCount() - since);
        std::fflush(stdout);
      }
      clickButton(dialog, IDCANCEL);
      waitGone(dialog, 30000);
      return false;
    }
  }
  return true;
}

// A modal transfer (save, load) of that caption.
bool transferEnds(const wchar_t* caption, const std::atomic<unsigned long long>& boxesSeen) {
  HWND dialog = waitDialog(caption, 3000);
  if (!dialog) return true;   // over before it could be seen
  return runsToEnd(dialog, boxesSeen, [dialog] { return IsWindow(dialog) && IsWindowVisible(dialog); });
}

// A parameter verify of `path` through to its list; null when it did not open or
// was cancelled (closed) after a failure.
HWND verifyEnds(const std::wstring& path, const std::atomic<unsigned long long>& boxesSeen) {
  if (!fileCommand(IDM_VERIFY_PARAMS, path)) return nullptr;
  HWND dialog = waitModeless(IDD_PARAM_VERIFY);
  if (!dialog) return nullptr;
  HWND bar = GetDlgItem(dialog, IDC_TRANSFER_PROGRESS);
  return runsToEnd(dialog, boxesSeen, [dialog, bar] { return IsWindow(dialog) && IsWindowVisible(bar); }) ? dialog
                                                                                                          : nullptr;
}

// The file a whole save writes once its dialog has ended.
bool written(const std::wstring& path) {
  return waitFor([&] { return !fileBytes(path).empty(); }, 5000, 100);
}

// After a failed reconnection ("通信ポートの初期化に失敗しました。") the person selects the
// port again: the connection dialog, connected on its preselected port.
int g_reconnects = 0;
void reconnectIfDown() {
  if (statusPollingActive()) return;
  ++g_reconnects;
  postCommand(IDM_CONNECT);
  if (HWND connect = waitDialog(L"接続", 10000)) {
    clickButton(connect, IDC_CONNECT_OK);
    waitGone(connect);
    waitFor([] { return statusPollingActive(); }, 10000);
  }
}

const char* const kMotions[] = {"POSING", "POS_EX", "POS_MS", "POS_AS", "FEED__",
                                "GOTOST", "GOTOPT", "HOMING", "STEP__"};

}  // namespace

TEST(Soak, TheProgramHoldsUnderAFaultStorm) {
  const int minutes = std::max(1, std::atoi(std::getenv("QZ_SOAK_MINUTES") ? std::getenv("QZ_SOAK_MINUTES") : "1"));
  const char* storm = std::getenv("QZ_SOAK_STORM") ? std::getenv("QZ_SOAK_STORM") : "5";
  ASSERT_TRUE(sim("RESET"));
  ASSERT_TRUE(sim("SET SERVO 1"));
  AppRun run;
  std::wstring dir = makeRunDirectory();
  writeSoakDefinitions(dir);
  ASSERT_TRUE(startConnected(run, dir));
  BoxWatcher boxes;
  boxes.start();

  const int monitors[] = {IDM_MOTION_MONITOR, IDM_INPUT_MONITOR, IDM_OUTPUT_MONITOR, IDM_VALUE_MONITOR,
                          IDM_ALARM_MONITOR,  IDM_ALARM_HISTORY, IDM_TREND_MONITOR,  IDM_OUTPUT_PORT};
  const uint16_t templates[] = {IDD_MOTION_MONITOR, IDD_INPUT_MONITOR, IDD_OUTPUT_MONITOR, IDD_VALUE_MONITOR,
                                IDD_ALARM_MONITOR,  IDD_ALARM_HISTORY, IDD_TREND_MONITOR,  IDD_OUTPUT_PORT};
  // A failure box ends a monitor (and may close the positioning): each loop opens again the ones that went.
  int reopened = 0;
  HWND positioning = nullptr;
  auto openMonitors = [&] {
    if (!waitModeless(IDD_POSITIONING, 0)) {
      postCommand(IDM_POSITIONING);
      positioning = waitModeless(IDD_POSITIONING);
    }
    for (size_t i = 0; i < std::size(monitors); ++i)
      if (!waitModeless(templates[i], 0)) {
        postCommand(monitors[i]);
        reopened += waitModeless(templates[i]) != nullptr;
      }
  };
  openMonitors();
  ASSERT_EQ(reopened, static_cast<int>(std::size(monitors)));
  ASSERT_NE(positioning, nullptr);
  // One whole save before the storm: the file the loop loads until a save under the storm goes through.
  const std::wstring saved = dir + L"\\soak_save.PRM", good = dir + L"\\soak_good.PRM";
  ASSERT_TRUE(fileCommand(IDM_SAVE_PARAMS, good));
  ASSERT_TRUE(transferEnds(L"セーブ", boxes.seen));
  ASSERT_TRUE(written(good));
  ASSERT_TRUE(sim("LOG CLEAR"));
  startPositioningRepeat(positioning);
  ASSERT_TRUE(sim((std::string("FAULT STORM ") + storm + " 1").c_str()));

  Figures first{}, last{};
  std::atomic<unsigned long long> moves{0};
  unsigned long long movesAfterStop = 0, stopsUnsent = 0;
  Figures settled{};   // after the first minute: the growth that counts
  std::vector<Figures> minutesSeen;   // written by the reporter, read after it ends
  std::vector<Figures> loopStarts;    // each loop's start: every dialog open, no transfer
  int loops = 0, saves = 0, loads = 0, verifies = 0, lastLoadBoxes = 0;
  std::wstring lastLoaded;
  const DWORD start = GetTickCount();
  auto figures = [&] {
    Figures f = processFigures();
    f.minute = (GetTickCount() - start) / 60000.0;
    std::string status;
    simReply("GET STORM", &status);
    f.requests = stormField(" " + status, "requests");
    f.failed = stormField(status, "faults");
    f.cycles = moves / 2;
    f.boxes = boxes.seen;
    f.pressed = boxes.pressed;
    return f;
  };
  // The log since the last take, and its moves counted.
  auto takeLog = [&] {
    std::string log = simRequestLog();
    sim("LOG CLEAR");
    for (const char* m : kMotions) moves += countOf(log, m);
    return log;
  };
  first = figures();
  printFigures("start", first);
  // A line of figures each minute, whatever step the loop is in.
  std::atomic<bool> running{true};
  std::thread reporter([&] {
    for (int minute = 1; running; ++minute) {
      while (running && GetTickCount() - start < static_cast<DWORD>(minute) * 60000) Sleep(200);
      if (!running) break;
      Figures f = figures();
      if (minute == 1) settled = f;
      minutesSeen.push_back(f);
      printFigures(("min " + std::to_string(minute)).c_str(), f);
    }
  });
  while (GetTickCount() - start < static_cast<DWORD>(minutes) * 60000) {
    ++loops;
    reconnectIfDown();
    openMonitors();
    loopStarts.push_back(figures());
    // A save stopped by a failure writes nothing: the load takes the last whole save.
    DeleteFileW(saved.c_str());
    if (fileCommand(IDM_SAVE_PARAMS, saved) && transferEnds(L"セーブ", boxes.seen) && written(saved)) {
      ++saves;
      CopyFileW(saved.c_str(), good.c_str(), FALSE);
    }
    unsigned long long before = boxes.seen;
    if (fileCommand(IDM_LOAD_PARAMS, good)) {
      // A load cut short still changed the module: it is the file to compare with.
      bool whole = transferEnds(L"ロード", boxes.seen);
      loads += whole;
      lastLoaded = good;
      lastLoadBoxes = static_cast<int>(boxes.seen - before);
      if (HWND verify = whole ? verifyEnds(good, boxes.seen) : nullptr) {
        ++verifies;
        closeVerify(verify);
      }
    }
    // A stop in the repeat: nothing moves after it until the repeat starts again.
    reconnectIfDown();
    takeLog();
    clickButton(positioning, IDC_OP_STOP);
    waitFor([] { return simRequestLog().find("STOP__") != std::string::npos; }, 5000, 100);
    Sleep(1500);
    std::string log = takeLog();
    // A stop pressed while a failure box closed the port cannot reach the line.
    size_t stopAt = log.find("STOP__");
    if (stopAt == std::string::npos) ++stopsUnsent;
    else
      for (const char* m : kMotions) movesAfterStop += countOf(log.substr(stopAt), m);
    startPositioningRepeat(positioning);
  }
  running = false;
  reporter.join();

  ASSERT_TRUE(sim("FAULT NONE"));
  std::string status;
  simReply("GET STORM", &status);
  std::printf("soak storm %s\n", status.c_str());
  clickButton(positioning, IDC_OP_STOP);
  Sleep(3000);   // boxes of the last faults are answered meanwhile
  last = figures();
  printFigures("end", last);
  printGrowth("private", static_cast<double>(first.privateBytes), static_cast<double>(last.privateBytes));
  printGrowth("handles", first.handles, last.handles);
  printGrowth("threads", first.threads, last.threads);
  printGrowth("requests", static_cast<double>(first.requests), static_cast<double>(last.requests));
  printGrowth("failed", static_cast<double>(first.failed), static_cast<double>(last.failed));
  printGrowth("cycles", static_cast<double>(first.cycles), static_cast<double>(last.cycles));
  printGrowth("boxes", static_cast<double>(first.boxes), static_cast<double>(last.boxes));
  if (settled.threads != 0) {
    printGrowth("private since min 1", static_cast<double>(settled.privateBytes), static_cast<double>(last.privateBytes));
    printGrowth("handles since min 1", settled.handles, last.handles);
    printGrowth("threads since min 1", settled.threads, last.threads);
  }
  printTrend("private", minutesSeen, [](const Figures& f) { return f.privateBytes; });
  printTrend("handles", minutesSeen, [](const Figures& f) { return f.handles; });
  printTrend("threads", minutesSeen, [](const Figures& f) { return f.threads; });
  printTrend("private at loop starts", loopStarts, [](const Figures& f) { return f.privateBytes; });
  std::printf("soak transfers stopped by a failure and cancelled: %d, standing still without a box: %d; "
              "reconnections through the connection dialog: %d\n",
              g_stopped, g_stalled, g_reconnects);
  std::printf("soak loops %d, whole: saves %d, loads %d, verifies %d; monitors reopened %d; moves %llu, stops %d (%llu not "
              "on the line)\n",
              loops, saves, loads, verifies, reopened - static_cast<int>(std::size(monitors)), moves.load(), loops,
              stopsUnsent);
  std::fflush(stdout);

  long answered = answerMs();
  std::printf("soak the program answered after %ld ms\n", answered);
  EXPECT_GE(answered, 0) << "the program does not answer";
  EXPECT_EQ(movesAfterStop, 0u) << "a move after a stop";
  {
    std::lock_guard<std::mutex> hold(boxes.lock);
    for (const auto& [text, count] : boxes.texts) {
      char utf8[512];
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
      for (char* c = utf8; *c; ++c)
        if (*c == '\n') *c = ' ';
      std::printf("soak box %4d x %s\n", count, utf8);
    }
    for (const std::wstring& text : boxes.unknown) ADD_FAILURE() << "a box without the program's text: " << text.size();
  }
  EXPECT_EQ(g_stalled, 0) << "a transfer stood still without a box";
  // The module against the last file loaded: a difference only where that load reported a failure.
  reconnectIfDown();
  EXPECT_FALSE(lastLoaded.empty()) << "no load went through";
  HWND verify = lastLoaded.empty() ? nullptr
                                   : verifyToEnd(IDM_VERIFY_PARAMS, IDD_PARAM_VERIFY, lastLoaded, "soak_verify",
                                                 kTransferMs);
  EXPECT_TRUE(lastLoaded.empty() || verify) << "the verify after the storm did not finish";
  if (verify) {
    size_t rows = listViewRows(GetDlgItem(verify, IDC_VERIFY_LIST), 5).size();
    std::printf("soak verify after the storm: %zu rows, last load with %d boxes\n", rows, lastLoadBoxes);
    if (lastLoadBoxes == 0) {
      EXPECT_EQ(rows, 0u) << "a difference no box reported";
    }
    closeVerify(verify);
  }
  EXPECT_GE(answerMs(), 0) << "the program does not answer after the verify";
  boxes.stop = true;
  boxes.thread.join();
  EXPECT_TRUE(closeWithYes(run)) << "the program did not end";
}
