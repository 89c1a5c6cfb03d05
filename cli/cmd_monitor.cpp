// monitor and alarms: the four monitor views once, watched or as CSV, and the alarm lists.
#include "cli/qzctl.h"
#include "cli/console.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <thread>


#include "files/definitions.h"
#include "files/guarded_file.h"
#include "link/request.h"
#include "monitor/alarm_rows.h"
#include "monitor/monitor_labels.h"
#include "monitor/trend_chart.h"
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

Record bitRecord(int bit, const char* mnemonic, const char* label, bool on, const char* layout) {
  Record r;
  r.columns.push_back(num("bit", bit));
  if (mnemonic) r.columns.push_back(str("mnemonic", mnemonic));
  r.columns.push_back(str("label", label));
  r.columns.push_back({"on", on ? "true" : "false", on ? "ON" : "OFF"});
  r.layout = layout;
  return r;
}

Column wordColumn(const char* key, uint16_t word) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", word);
  return {key, std::to_string(word), hex};
}

// One sample of a view: the words with every bit by label, or the current values.
Record sampleRecord(MonitorView view, const MonitorSample& s) {
  Record r;
  if (view == VIEW_MOTION) {
    const char* text = motionStateText(s.state);
    r.columns = {num("state", s.state), str("keyword", stateKeyword(s.state)),
                 {"text", jsonString(text ? text : ""), text ? text : "?"}, wordColumn("status", s.status)};
    r.layout = "state   {text} ({keyword})\nstatus  {status}\n";
    r.listKey = "bits";
    for (int b = 0; b < 16; ++b)
      r.rows.push_back(bitRecord(b, nullptr, MotionStatusBitLabels[b], (s.status >> b) & 1, "  {bit:2} {label:-10} {on}\n"));
  } else if (view == VIEW_VALUES) {
    for (int k = 0; k < 7; ++k) {
      std::string v = valueNumber(s.values[k]);
      r.columns.push_back({kValueNames[k], v, v});
      char name[16];
      std::snprintf(name, sizeof name, "%-10s ", kValueNames[k]);
      r.layout += name + ("{" + std::string(kValueNames[k]) + ":14}") + (*kValueUnits[k] ? " " : "") + kValueUnits[k] + "\n";
    }
  } else {
    const auto& table = view == VIEW_INPUTS ? InputSignalBits : OutputSignalBits;
    r.listKey = "words";
    for (int w = 0; w < SIGNAL_WORDS; ++w) {
      Record word;
      word.columns = {num("word", w), str("section", SignalSectionCaptions[w]), wordColumn("value", s.words[w])};
      word.layout = "word {word} {section:-12} {value}\n";
      word.listKey = "bits";
      for (int b = 0; b < 16; ++b)
        word.rows.push_back(bitRecord(b, table[w][b].mnemonic, table[w][b].label, (s.words[w] >> b) & 1,
                                      "  {bit:2} {mnemonic:-8} {on:-3} {label}\n"));
      r.rows.push_back(word);
    }
  }
  return r;
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
  int frameLines = 0;
  // The chart's recording: the last hour or more of samples, allocated only for a chart.
  TrendRecord record;
  if (!plot.empty()) trendStart(&record);
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
      int32_t values[kTrendValues];
      for (int k = 0; k < kTrendValues; ++k) values[k] = static_cast<int32_t>(sample.values[k]);
      trendAdd(&record, static_cast<uint32_t>(ms), values);
    }
    if (csv) {
      if (n == 0) printCsvHeader(v);
      printCsvRow(v, ms, sample);
    } else if (watch) {
      Record frame = sampleRecord(v, sample);
      frame.columns.push_back(textOnly("time", timeStamp()));
      frame.columns.push_back(textOnly("view", args[1]));
      frame.columns.push_back(textOnly("interval", std::to_string(interval)));
      frame.layout = "{time}  {view} every {interval} ms, Ctrl-C ends\n" + frame.layout;
      printFrame(frame, &frameLines);
    } else {
      print(sampleRecord(v, sample));
    }
    std::fflush(stdout);
    if (!watch) break;
  }
  if (!plot.empty()) {
    TrendTrace traces[kTrendValues];
    for (int k = 0; k < kTrendValues; ++k) traces[k] = {k, kValueTitles[k], kValueUnits[k]};
    // The axis starts with the watch, or with the oldest sample kept once the ring is full.
    uint32_t from = record.dropped ? trendSample(record, 0).ms : 0;
    uint32_t to = record.count ? trendSample(record, record.count - 1).ms : 0;
    if (saveTrendSvg(plot.c_str(), record, from, to, traces, kTrendValues, g_opt.valueFormat) != FILE_OK)
      return fail(EXIT_FILE, "cannot write %s", plot.c_str());
    if (!g_opt.quiet) note("%u samples plotted in %s", record.count, plot.c_str());
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
  Record r;
  r.columns = {str("unit", history ? "SV" : "QZ")};
  r.listKey = "alarms";
  r.footer = count == 0 ? "no alarms\n" : "";
  for (uint16_t i = 0; i < count; ++i) {
    uint32_t word = entries[i].alarmWord;
    char code[4];
    std::snprintf(code, sizeof code, "%02X", word & 0xFF);
    Record row;
    row.columns = {{"code", std::to_string(word & 0xFF), code},
                   str("text", toUtf8(history ? alarmHistoryText(g_alarmTexts, word) : alarmWordText(g_alarmTexts, word)))};
    if (history) {
      row.layout = "{code}  {text}\n";
    } else {
      char stamp[ALARM_STAMP_CHARS + 1];
      formatAlarmTimeStamp(entries[i].timeStamp, stamp);
      row.columns.push_back(jsonOnly("ticks", std::to_string(entries[i].timeStamp)));
      row.columns.push_back(str("stamp", stamp));
      row.columns.push_back(str("level", alarmKind(word).tag));
      row.layout = "{stamp}  {level:-3}  {code}  {text}\n";
    }
    row.columns.push_back(jsonOnly("word", std::to_string(word)));
    r.rows.push_back(row);
  }
  print(r);
  return EXIT_OK;
}

}  // namespace qzctl
