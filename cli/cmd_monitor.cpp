// monitor and alarms.
#include "cli/qzctl.h"
#include "cli/console.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <thread>

#include "cli/monitor_plot.h"

#include "files/definitions.h"
#include "link/request.h"
#include "monitor/alarm_rows.h"
#include "monitor/monitor_labels.h"
#include "protocol/command_table.h"

namespace qzctl {
namespace {

enum MonitorView { VIEW_MOTION, VIEW_INPUTS, VIEW_OUTPUTS, VIEW_VALUES };

struct MonitorSample {
  uint8_t state = 0;
  uint16_t status = 0;
  uint16_t words[3] = {};
  uint32_t values[7] = {};
};

const char* const kValueNames[7] = {"command", "feedback", "deviation", "latch", "torque", "monitor1", "monitor2"};
// The current value monitor's units: positions in the command unit, the torque in
// percent, the two debug monitors without one.
const char* const kValueUnits[7] = {"[command unit]", "[command unit]", "[command unit]", "[command unit]", "[%]", "", ""};
const char* const kValueTitles[7] = {"command position", "feedback position", "position deviation",
                                     "latch position", "output torque", "monitor 1", "monitor 2"};

void appendf(std::string* out, const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  *out += line;
}

// Local wall-clock time with milliseconds, for the watch's frames.
std::string timeStamp() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  long ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char b[40];
  std::strftime(b, sizeof b, "%Y-%m-%d %H:%M:%S", &tm);
  return std::string(b) + "." + (ms < 100 ? (ms < 10 ? "00" : "0") : "") + std::to_string(ms);
}

const char* stateKeyword(uint8_t state) {
  for (const KeywordEntry* k = MotionStateKeywords; k->code != kTableEnd; ++k)
    if (k->code == state) return k->text;
  return "?";
}

uint16_t pollMonitor(MonitorView view, MonitorSample* s) {
  switch (view) {
    case VIEW_MOTION: return request_RDMSTS(nullptr, &s->state, &s->status);
    case VIEW_INPUTS: return request_RDPORT(nullptr, 0, s->words);
    case VIEW_OUTPUTS: return request_RDPORT(nullptr, 1, s->words);
    default:
      return request_RD_MON(nullptr, &s->values[0], &s->values[1], &s->values[2], &s->values[3], &s->values[4],
                            &s->values[5], &s->values[6]);
  }
}

std::string valueNumber(uint32_t v) { return formatted(g_opt.valueFormat, static_cast<int32_t>(v)); }

void printCsvHeader(MonitorView view) {
  std::printf("ms");
  if (view == VIEW_MOTION) std::printf(",state,status");
  else if (view == VIEW_VALUES) for (const char* n : kValueNames) std::printf(",%s", n);
  else std::printf(",word0,word1,word2");
  std::printf("\n");
}

void printCsvRow(MonitorView view, long ms, const MonitorSample& s) {
  std::printf("%ld", ms);
  if (view == VIEW_MOTION) std::printf(",%s,%04X", stateKeyword(s.state), s.status);
  else if (view == VIEW_VALUES) for (uint32_t v : s.values) std::printf(",%s", valueNumber(v).c_str());
  else for (uint16_t w : s.words) std::printf(",%04X", w);
  std::printf("\n");
}

std::string bitJson(int bit, const char* mnemonic, const char* label, bool on) {
  std::string out = "{\"bit\":" + std::to_string(bit);
  if (mnemonic) out += ",\"mnemonic\":" + jsonString(mnemonic);
  return out + ",\"label\":" + jsonString(label) + ",\"on\":" + (on ? "true" : "false") + "}";
}

void printJson(MonitorView view, const MonitorSample& s) {
  std::string out = "{";
  if (view == VIEW_MOTION) {
    const char* text = motionStateText(s.state);
    out += "\"state\":" + std::to_string(s.state) + ",\"keyword\":" + jsonString(stateKeyword(s.state)) +
           ",\"text\":" + jsonString(text ? text : "") + ",\"status\":" + std::to_string(s.status) + ",\"bits\":[";
    for (int b = 0; b < 16; ++b)
      out += (b ? "," : "") + bitJson(b, nullptr, MotionStatusBitLabels[b], (s.status >> b) & 1);
    out += "]";
  } else if (view == VIEW_VALUES) {
    for (int k = 0; k < 7; ++k) out += std::string(k ? "," : "") + jsonString(kValueNames[k]) + ":" + valueNumber(s.values[k]);
  } else {
    const auto& table = view == VIEW_INPUTS ? InputSignalBits : OutputSignalBits;
    out += "\"words\":[";
    for (int w = 0; w < SIGNAL_WORDS; ++w) {
      out += std::string(w ? "," : "") + "{\"word\":" + std::to_string(w) + ",\"section\":" +
             jsonString(SignalSectionCaptions[w]) + ",\"value\":" + std::to_string(s.words[w]) + ",\"bits\":[";
      for (int b = 0; b < 16; ++b)
        out += (b ? "," : "") + bitJson(b, table[w][b].mnemonic, table[w][b].label, (s.words[w] >> b) & 1);
      out += "]}";
    }
    out += "]";
  }
  std::printf("%s}\n", out.c_str());
}

std::string textView(MonitorView view, const MonitorSample& s) {
  std::string out;
  if (view == VIEW_MOTION) {
    const char* text = motionStateText(s.state);
    appendf(&out, "state   %s (%s)\nstatus  %04X\n", text ? text : "?", stateKeyword(s.state), s.status);
    for (int b = 0; b < 16; ++b)
      appendf(&out, "  %2d %-10s %s\n", b, MotionStatusBitLabels[b], (s.status >> b) & 1 ? "ON" : "OFF");
  } else if (view == VIEW_VALUES) {
    for (int k = 0; k < 7; ++k)
      appendf(&out, "%-10s %14s%s%s\n", kValueNames[k], valueNumber(s.values[k]).c_str(), *kValueUnits[k] ? " " : "",
              kValueUnits[k]);
  } else {
    const auto& table = view == VIEW_INPUTS ? InputSignalBits : OutputSignalBits;
    for (int w = 0; w < SIGNAL_WORDS; ++w) {
      appendf(&out, "word %d %-12s %04X\n", w, SignalSectionCaptions[w], s.words[w]);
      for (int b = 0; b < 16; ++b)
        appendf(&out, "  %2d %-8s %-3s %s\n", b, table[w][b].mnemonic, (s.words[w] >> b) & 1 ? "ON" : "OFF",
                table[w][b].label);
    }
  }
  return out;
}

// One frame of a watch on a terminal: the cursor goes back up over the previous
// frame and every line is rewritten, the rest of each line cleared; returns the
// frame's line count.
int redraw(const std::string& frame, int previousLines) {
  std::string out;
  if (previousLines > 0) out += "\r\x1b[" + std::to_string(previousLines) + "A";
  int lines = 0;
  for (size_t at = 0; at < frame.size();) {
    size_t end = frame.find('\n', at);
    if (end == std::string::npos) end = frame.size();
    out += frame.substr(at, end - at) + "\x1b[K\n";
    ++lines;
    at = end + 1;
  }
  std::fputs(out.c_str(), stdout);
  return lines;
}

}  // namespace

int cmdMonitor(const std::vector<std::string>& args) {
  int view = args.size() < 2 ? -1 : keywordIndex(args[1], {"motion", "inputs", "outputs", "values"});
  if (view < 0) return usage("expected monitor motion|inputs|outputs|values");
  bool watch = false, csv = false;
  long count = 0, interval = 500;
  std::string plot;
  for (size_t i = 2; i < args.size(); ++i) {
    bool more = i + 1 < args.size();
    if (args[i] == "--watch") watch = true;
    else if (args[i] == "--csv") csv = true;
    else if (args[i] == "--plot" && more) plot = args[++i];
    else if (args[i] == "--count" && more) { if (!parseDecimal(args[++i], 1, 1000000, &count)) return usage("invalid --count"); }
    else if (args[i] == "--interval" && more) { if (!parseDecimal(args[++i], 10, 3600000, &interval)) return usage("invalid --interval"); }
    else return unexpectedArgument(args[i]);
  }
  if (!plot.empty() && (!watch || view != VIEW_VALUES)) return usage("--plot goes with monitor values --watch");
  if (!plot.empty() && !targetWritable(plot)) return EXIT_FILE;
  if (int e = connectModule()) return e;
  MonitorView v = static_cast<MonitorView>(view);
  auto start = std::chrono::steady_clock::now();
  bool inPlace = watch && !csv && !g_opt.json && stdoutIsTerminal();
  int frameLines = 0;
  PlotRecord record;
  int code = EXIT_OK;
  for (long n = 0; g_running && (!watch || count == 0 || n < count); ++n) {
    // The pause is cut short by Ctrl-C, so a long interval does not hold the exit up.
    for (long waited = 0; n && g_running && waited < interval; waited += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(interval - waited < 10 ? interval - waited : 10));
    if (!g_running) break;
    MonitorSample sample;
    if (int e = exitForStatus(withRetry([&] { return pollMonitor(v, &sample); }))) {
      // A watch interrupted while its request ran ends as any other interrupted watch.
      if (watch && !g_running) break;
      code = e;
      break;
    }
    long ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - start).count());
    if (!plot.empty()) {
      int32_t values[7];
      for (int k = 0; k < 7; ++k) values[k] = static_cast<int32_t>(sample.values[k]);
      plotAdd(&record, ms, values);
    }
    if (csv) {
      if (n == 0) printCsvHeader(v);
      printCsvRow(v, ms, sample);
    } else if (g_opt.json) {
      printJson(v, sample);
    } else if (watch) {
      std::string frame = timeStamp() + "  " + args[1] + " every " + std::to_string(interval) + " ms, Ctrl-C ends\n" +
                          textView(v, sample);
      if (inPlace) frameLines = redraw(frame, frameLines);
      else std::fputs((frame + "\n").c_str(), stdout);
    } else {
      std::fputs(textView(v, sample).c_str(), stdout);
    }
    std::fflush(stdout);
    if (!watch) break;
  }
  if (!plot.empty()) {
    PlotSeries series[7];
    for (int k = 0; k < 7; ++k) series[k] = {kValueTitles[k], kValueUnits[k]};
    if (!writePlot(plot, record, series, 7, g_opt.valueFormat)) {
      std::fprintf(stderr, "qzctl %s: cannot write %s\n", g_command.c_str(), plot.c_str());
      return EXIT_FILE;
    }
    if (!g_opt.quiet) std::fprintf(stderr, "qzctl %s: %u samples plotted in %s\n", g_command.c_str(), record.count, plot.c_str());
  }
  if (code) return code;
  // Ctrl-C is how a watch ends; a single read cut short is a failure.
  return g_running || watch ? EXIT_OK : EXIT_COMM;
}

// alarms [--history] [--clear]: the module's current alarms, or the servo's history;
// --clear clears that unit's current alarms.
int cmdAlarms(const std::vector<std::string>& args) {
  bool history = false, clear = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--history") history = true;
    else if (args[i] == "--clear") clear = true;
    else return unexpectedArgument(args[i]);
  }
  uint8_t device = history ? 1 : 0;  // QZ, SV
  // The alarm texts come with the definition file.
  if (!clear)
    if (int e = loadDefs()) return e;
  if (int e = connectModule()) return e;
  if (clear) return exitForStatus(withoutRetry("CLRALM", [&] { return request_CLRALM(nullptr, 1, device); }));
  AlarmEntry entries[kMaxAlarmEntries] = {};
  uint16_t count = 0;
  if (int e = exitForStatus(withRetry([&] { return request_RD_ALM(nullptr, device, &count, entries); }))) return e;
  if (count > kMaxAlarmEntries) count = kMaxAlarmEntries;
  std::string json = std::string("{\"unit\":\"") + (history ? "SV" : "QZ") + "\",\"alarms\":[";
  for (uint16_t i = 0; i < count; ++i) {
    uint32_t word = entries[i].alarmWord;
    std::string text = toUtf8(history ? alarmHistoryText(g_alarmTexts, word) : alarmText(g_alarmTexts, word));
    char code[4];
    std::snprintf(code, sizeof code, "%02X", word & 0xFF);
    char stamp[ALARM_STAMP_CHARS + 1];
    formatAlarmTimeStamp(entries[i].timeStamp, stamp);
    const char* level = alarmKind(word).tag;
    if (g_opt.json) {
      json += std::string(i ? "," : "") + "{\"code\":" + std::to_string(word & 0xFF) + ",\"text\":" + jsonString(text);
      if (!history)
        json += ",\"ticks\":" + std::to_string(entries[i].timeStamp) + ",\"stamp\":" + jsonString(stamp) +
                ",\"level\":" + jsonString(level);
      json += ",\"word\":" + std::to_string(word) + "}";
    } else if (history) {
      std::printf("%s  %s\n", code, text.c_str());
    } else {
      std::printf("%s  %-3s  %s  %s\n", stamp, level, code, text.c_str());
    }
  }
  if (g_opt.json) std::printf("%s]}\n", json.c_str());
  else if (count == 0) std::printf("no alarms\n");
  return EXIT_OK;
}

}  // namespace qzctl
