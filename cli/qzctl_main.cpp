// qzctl: command-line companion for scripted commissioning over the module link.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <initializer_list>
#include <thread>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files/definitions.h"
#include "files/file_error.h"
#include "files/parameter_file.h"
#include "files/point_file.h"
#include "files/settings.h"
#include "files/transfer.h"
#include "cli/sjis_text.h"
#include "cli/trace.h"
#include "link/link.h"
#include "link/link_state.h"
#include "link/prompt.h"
#include "link/request.h"
#include "link/serial_port.h"
#include "protocol/command_table.h"
#include "protocol/number_format.h"
#include "resources/resource.h"

namespace {

constexpr int EXIT_OK = 0, EXIT_DIFFERS = 1, EXIT_USAGE = 2, EXIT_FILE = 3, EXIT_COMM = 4,
              EXIT_ERROR_REPLY = 5, EXIT_MALFORMED = 6;

struct Options {
  std::string port;
  std::string defs;
  uint16_t valueFormat = VALUE_FORMAT_0_001;
  bool json = false;
  bool quiet = false;
  int retry = 0;
  std::string trace;
};

Options g_opt;
std::string g_command;              // shown in every message
std::atomic<bool> g_running{true};  // cleared by Ctrl-C
PointTable g_points;

// Messages the core would show in a box, in English on stderr; never answers Yes.
uint16_t cliShowMessage(OwnerHandle, uint16_t textId, const char* extra, uint16_t, uint32_t) {
  const char* text = "message";
  switch (textId) {
    case IDS_COMM_ERROR: text = "communication failure, no valid reply from the module"; break;
    case IDS_ERROR_REPLY: text = "error reply from the module"; break;
    case IDS_BAD_REPLY_FORMAT: text = "malformed reply from the module"; break;
    case IDS_PORT_INIT_FAILED: text = "cannot open the port"; break;
    case IDS_DEFINITION_READ_FAILED: text = "cannot read the definition file"; break;
    case IDS_DATA_READ_FAILED: text = "cannot read the parameter file"; break;
    case IDS_DATA_WRITE_FAILED: text = "cannot write the parameter file"; break;
    case IDS_POINT_READ_FAILED: text = "cannot read the point file"; break;
    case IDS_POINT_WRITE_FAILED: text = "cannot write the point file"; break;
    default: break;
  }
  std::string more;
  for (const char* p = extra; p && *p; ++p) more += (*p == '\n') ? ' ' : *p;
  std::fprintf(stderr, "qzctl %s: %s%s\n", g_command.c_str(), text, more.c_str());
  return ANSWER_NO;
}
void cliStatusChanged() {}
void cliNotify(uint32_t, uintptr_t, intptr_t) {}
const PromptInterface kCliPrompt = {cliShowMessage, cliStatusChanged, cliNotify};

int exitForStatus(uint16_t status) {
  switch (status) {
    case STATUS_OK: return EXIT_OK;
    case STATUS_ERROR_REPLY: return EXIT_ERROR_REPLY;
    case STATUS_MALFORMED: return EXIT_MALFORMED;
    default: return EXIT_COMM;
  }
}

void onInterrupt(int) { g_running = false; }

int usage(const char* why) {
  if (why) std::fprintf(stderr, "qzctl %s: %s (see qzctl --help)\n", g_command.c_str(), why);
  return EXIT_USAGE;
}

const char kHelp[] =
    "usage: qzctl [global options] COMMAND [ARGS]\n"
    "\n"
    "global options\n"
    "  -p, --port PORT     COM1..COM8 on Windows; a device path on Linux (/dev/ttyUSB0, /dev/pts/3).\n"
    "                      Default: $QZ_PORT, else COM1 (Windows) or /dev/ttyS0 (Linux).\n"
    "  -d, --defs FILE     definition file; default ParmDef.cfg in the current directory\n"
    "      --linear        use ParmDefL.cfg instead\n"
    "      --unit U        command unit for speeds and positions: 0.001, 0.01, 0.1 or 1; default 0.001\n"
    "      --json          machine-readable output on stdout (one JSON document per command)\n"
    "  -q, --quiet         no progress on stderr\n"
    "      --retry N       after a communication failure, close and reopen the port and repeat the\n"
    "                      request up to N times (default 0: report and stop)\n"
    "      --trace FILE    log every frame sent and received; \"-\" is stderr\n"
    "  -h, --help          usage; every command also takes --help\n"
    "\n"
    "commands\n"
    "  status                                  ready, servo, main circuit, alarm\n"
    "  id                                      the six identification texts\n"
    "  params list [--servo | --option]        every defined parameter the module has: No, name, value, unit\n"
    "  params get PnXXXX\n"
    "  params set PnXXXX VALUE                 VALUE in the definition's own form, checked before sending\n"
    "  params save FILE.PRM                    the parameter save transfer, then the PRM file\n"
    "  params load FILE.PRM [--verify]         read the PRM file, the load transfer; --verify reads back\n"
    "  params verify FILE.PRM                  differing rows as the verify list shows them\n"
    "  params check FILE.PRM                   offline: every value of the file against its definition\n"
    "  points list | get N | set N --speed S [--position P]\n"
    "  points save FILE.PNT | load FILE.PNT [--verify] | verify FILE.PNT\n"
    "  monitor motion|inputs|outputs|values [--watch [--count N] [--csv]] [--interval MS]\n"
    "  alarms [--history] [--clear]\n"
    "  mem read ADDRESS SIZE [--type byte|word|long]\n"
    "  mem write ADDRESS VALUE [--type byte|word|long]\n"
    "  reset\n"
    "  servo on|off\n"
    "  brake on|off\n"
    "  outputs write W0 W1 W2 [--mask M0 M1 M2]\n"
    "  outputs release\n"
    "  jog cw|ccw --for MS [--speed S]\n"
    "  step +|- [--param 1..4 | --amount A] [--speed S]\n"
    "  move abs|inc TARGET [--speed S]\n"
    "  move point N\n"
    "  move station N [--dir cw|ccw|near] [--speed S]\n"
    "  home [--speed S]\n"
    "  stop [--zero]\n"
    "  motion options: --accel none|lacc|twos|idea, --filter none|exp|bias|mave, --wait\n"
    "\n"
    "exit codes: 0 success, 1 verify differences, 2 usage or invalid value, 3 file error,\n"
    "            4 communication failure, 5 error reply, 6 malformed reply\n";

// ---- connection -------------------------------------------------------------

bool g_connected = false;

int connectModule() {
  if (linkStart() != 0) {
    std::fprintf(stderr, "qzctl %s: cannot start the module link\n", g_command.c_str());
    return EXIT_COMM;
  }
#ifdef _WIN32
  uint16_t port = 0;
  if (g_opt.port.size() == 4 && g_opt.port.compare(0, 3, "COM") == 0 && g_opt.port[3] >= '1' &&
      g_opt.port[3] <= '8')
    port = static_cast<uint16_t>(g_opt.port[3] - '1');
  else
    return usage("the port must be COM1..COM8");
#else
  uint16_t port = 0;
  setPortDevicePath(port, g_opt.port.c_str());
#endif
  g_mode.currentPort = port;
  if (postConnectionRequest(1, 1, port) != 0) {
    std::fprintf(stderr, "qzctl %s: cannot open port %s\n", g_command.c_str(), g_opt.port.c_str());
    return EXIT_COMM;
  }
  g_connected = true;
  return EXIT_OK;
}

// Runs one request; a communication failure reopens the port and repeats it.
template <typename F>
uint16_t withRetry(F call) {
  uint16_t status = call();
  for (int attempt = 0; status == STATUS_COMM_FAILURE && attempt < g_opt.retry; ++attempt) {
    if (!g_opt.quiet) std::fprintf(stderr, "qzctl %s: retry %d of %d\n", g_command.c_str(), attempt + 1, g_opt.retry);
    postConnectionRequest(0, 1, g_mode.currentPort);
    if (postConnectionRequest(1, 1, g_mode.currentPort) != 0) continue;
    traceNoteRetry();
    status = call();
  }
  traceNoteStatus(status);
  return status;
}

// ---- numbers ------------------------------------------------------------------

// Parses decimal text in a value format word (right-aligned into its width).
bool parseFormatted(uint16_t format, const std::string& text, int32_t* out) {
  int width = formatWidth(format);
  if (text.empty() || static_cast<int>(text.size()) > width) return false;
  std::string field(static_cast<size_t>(width) - text.size(), ' ');
  field += text;
  int32_t value = 0;
  uint8_t raw[4] = {};
  if (parseNumber(format, field.c_str(), raw) != PARSE_OK) return false;
  int bytes = formatStorageBytes(format);
  uint32_t v = 0;
  std::memcpy(&v, raw, static_cast<size_t>(bytes));
  bool isSigned = ((format & FMT_STORAGE_MASK) >> 8) % 2 == 1;
  value = widenStored(static_cast<int32_t>(v), static_cast<uint16_t>(bytes), isSigned);
  *out = value;
  return true;
}

std::string formatted(uint16_t format, int32_t value) {
  char buf[20] = {};
  int bytes = formatStorageBytes(format);
  uint8_t raw[4];
  std::memcpy(raw, &value, 4);
  (void)bytes;
  if (formatNumber(format, raw, buf) != FORMAT_OK) return "?";
  std::string s(buf, static_cast<size_t>(formatWidth(format)));
  size_t b = s.find_first_not_of(' ');
  size_t e = s.find_last_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

bool parseHex(std::string text, uint32_t* out) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = text.substr(2);
  if (text.empty() || text.size() > 8) return false;
  uint32_t v = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  *out = v;
  return true;
}

bool parseDecimal(const std::string& text, long lo, long hi, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != 0 || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool parsePn(const std::string& text, uint16_t* number) {
  std::string t = text;
  if (t.size() > 2 && (t[0] == 'P' || t[0] == 'p') && (t[1] == 'n' || t[1] == 'N')) t = t.substr(2);
  uint32_t v;
  if (!parseHex(t, &v) || v > 0xFFFF) return false;
  *number = static_cast<uint16_t>(v);
  return true;
}

std::string toUtf8(const char* text) { return sjisToUtf8(text); }

std::string jsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') { out += '\\'; out += static_cast<char>(c); }
    else if (c < 0x20) { char b[8]; std::snprintf(b, sizeof b, "\\u%04x", c); out += b; }
    else out += static_cast<char>(c);
  }
  return out + "\"";
}

std::string pnName(uint16_t number) {
  char b[8];
  std::snprintf(b, sizeof b, "Pn%04X", number);
  return b;
}

// A parameter value as the lists show it: D and H in their format, others hexadecimal.
std::string valueText(const ParameterDefinition& def, int32_t value) {
  if (def.kind == 'D' || def.kind == 'H') return formatted(def.format, value);
  char b[12];
  std::snprintf(b, sizeof b, "%04X", static_cast<unsigned>(value) & 0xFFFF);
  return b;
}

int32_t storedValue(const ParameterDefinition& def, uint32_t raw) {
  return widenStored(static_cast<int32_t>(raw), def.size, definitionSigned(def));
}

// Checks a value against its definition the way the editors do; null when it fits.
const char* checkValue(const ParameterDefinition& def, int32_t value) {
  bool isSigned = definitionSigned(def);
  if (def.kind == 'D' || def.kind == 'H') {
    int32_t lo = widenStored(def.minimum, def.size, isSigned);
    int32_t hi = widenStored(def.maximum, def.size, isSigned);
    if (isSigned ? (value < lo || value > hi)
                 : (static_cast<uint32_t>(value) < static_cast<uint32_t>(lo) ||
                    static_cast<uint32_t>(value) > static_cast<uint32_t>(hi)))
      return "outside the limits";
  } else if (def.kind == 'S') {
    for (int i = 0; i < MAX_CHOICES && def.choices[i].text; ++i)
      if (def.choices[i].value == static_cast<uint16_t>(value)) return nullptr;
    return "not a defined choice";
  } else if (def.kind == 'B') {
    uint32_t allowed = 0;
    for (int i = 0; i < def.entryCount && i < MAX_SUB_ENTRIES; ++i) {
      const BitField& f = def.bits[i];
      uint32_t mask = ((1u << f.bitCount) - 1u) << f.position;
      allowed |= mask;
      uint16_t field = static_cast<uint16_t>((static_cast<uint32_t>(value) & mask) >> f.position);
      if (f.choices[0].text) {
        bool found = false;
        for (int k = 0; k < MAX_CHOICES && f.choices[k].text; ++k) found |= f.choices[k].value == field;
        if (!found) return "a bit field holds no defined choice";
      }
    }
    if (static_cast<uint32_t>(value) & 0xFFFF & ~allowed) return "bits outside the defined fields";
  } else if (def.kind == 'N') {
    uint32_t allowed = 0;
    for (int i = 0; i < def.entryCount && i < MAX_SUB_ENTRIES; ++i) {
      const NibbleField& f = def.nibbles[i];
      allowed |= 0xFu << (4 * f.position);
      uint16_t digit = static_cast<uint16_t>((static_cast<uint32_t>(value) >> (4 * f.position)) & 0xF);
      if (f.choices[0].text) {
        bool found = false;
        for (int k = 0; k < MAX_CHOICES && f.choices[k].text; ++k) found |= f.choices[k].value == digit;
        if (!found) return "a digit holds no defined choice";
      }
    }
    if (static_cast<uint32_t>(value) & 0xFFFF & ~allowed) return "digits outside the defined fields";
  }
  return nullptr;
}

// ---- progress -----------------------------------------------------------------

struct Progress {
  uint32_t total = 0;
  uint32_t count = 0;
  bool terminal = false;
};

void progressStart(void* ctx, uint32_t maximum) {
  auto* p = static_cast<Progress*>(ctx);
  p->total = maximum;
  p->count = 0;
}

void progressStep(void* ctx, uint16_t labelId, const char* placeholder) {
  auto* p = static_cast<Progress*>(ctx);
  ++p->count;
  if (g_opt.quiet) return;
  std::string label;
  if (labelId == LABEL_PARAMETER_LOAD || labelId == LABEL_PARAMETER_SAVE || labelId == LABEL_PARAMETER_VERIFY)
    label = std::string("Pn") + (placeholder ? placeholder : "");
  else if (labelId != 0)
    label = std::string("No.") + (placeholder ? placeholder : "");
  if (p->terminal)
    std::fprintf(stderr, "\r%s %u/%u %s   ", g_command.c_str(), p->count, p->total, label.c_str());
  else
    std::fprintf(stderr, "%s %u/%u %s\n", g_command.c_str(), p->count, p->total, label.c_str());
  std::fflush(stderr);
}

void progressEnd(const Progress& p) {
  if (!g_opt.quiet && p.terminal) std::fprintf(stderr, "\n");
}

std::vector<VerifyRow> g_rows;
void collectRow(void*, const VerifyRow& row) { g_rows.push_back(row); }

bool stderrIsTerminal();

TransferSink makeSink(Progress* p) {
  p->terminal = stderrIsTerminal();
  return TransferSink{p, progressStart, progressStep, nullptr, collectRow};
}

int transferExit(uint16_t result, const Progress& p, uint16_t lastStatus) {
  progressEnd(p);
  if (result == TRANSFER_CANCELLED) {
    std::fprintf(stderr, "qzctl %s: interrupted after %u of %u entries\n", g_command.c_str(), p.count, p.total);
    return EXIT_COMM;
  }
  if (result == TRANSFER_STOPPED) return exitForStatus(lastStatus ? lastStatus : static_cast<uint16_t>(STATUS_COMM_FAILURE));
  return EXIT_OK;
}

}  // namespace

// Portable part ends here; the back end decides whether stderr is a terminal.
#ifdef _WIN32
#include <io.h>
namespace { bool stderrIsTerminal() { return _isatty(2) != 0; } }
#else
#include <unistd.h>
namespace { bool stderrIsTerminal() { return isatty(2) != 0; } }
#endif

namespace {

uint16_t g_lastBoxText = 0;
uint16_t recordingShow(OwnerHandle o, uint16_t textId, const char* extra, uint16_t c, uint32_t s) {
  g_lastBoxText = textId;
  return cliShowMessage(o, textId, extra, c, s);
}
const PromptInterface kRecordingPrompt = {recordingShow, cliStatusChanged, cliNotify};

uint16_t statusFromLastBox() {
  if (g_lastBoxText == IDS_ERROR_REPLY) return STATUS_ERROR_REPLY;
  if (g_lastBoxText == IDS_BAD_REPLY_FORMAT) return STATUS_MALFORMED;
  return STATUS_COMM_FAILURE;
}

int loadDefs() {
  clearDefinitions();
  uint16_t line = loadDefinitions(g_opt.defs.c_str());
  if (line != 0) {
    char text[12];
    formatFileErrorLine(line, text);
    std::fprintf(stderr, "qzctl %s: cannot read the definition file %s %s\n", g_command.c_str(),
                 g_opt.defs.c_str(), text);
    return EXIT_FILE;
  }
  return EXIT_OK;
}

// ---- commands -----------------------------------------------------------------

int cmdStatus() {
  uint16_t value = 0;
  uint8_t ready = 0, servo = 0, main = 0, alarm = 0;
  uint16_t st = withRetry([&] { return request_RDSSTS(nullptr, &value, &ready, &servo, &main, &alarm); });
  if (st) return exitForStatus(st);
  if (g_opt.json)
    std::printf("{\"ready\":%d,\"servo\":%d,\"main\":%d,\"alarm\":%d}\n", ready, servo, main, alarm);
  else
    std::printf("ready   %s\nservo   %s\nmain    %s\nalarm   %s\n", ready ? "on" : "off",
                servo ? "on" : "off", main ? "on" : "off", alarm ? "on" : "off");
  return EXIT_OK;
}

int cmdId() {
  static const char* const kItems[6] = {"QZ_TYP", "QZ_VER", "SV_TYP", "SV_VER", "EN_VER", "MT_TYP"};
  std::string texts[6];
  for (uint8_t i = 0; i < 6; ++i) {
    char text[kIdTextLength + 1] = {};
    uint16_t st = withRetry([&] { return request_RDDVID(nullptr, i, text); });
    if (st) return exitForStatus(st);
    texts[i] = toUtf8(text);
  }
  if (g_opt.json) {
    std::printf("{");
    for (int i = 0; i < 6; ++i) std::printf("%s%s:%s", i ? "," : "", jsonString(kItems[i]).c_str(), jsonString(texts[i]).c_str());
    std::printf("}\n");
  } else {
    for (int i = 0; i < 6; ++i) std::printf("%-8s %s\n", kItems[i], texts[i].c_str());
  }
  return EXIT_OK;
}

uint8_t bankFor(uint16_t number) { return number < FIRST_OPTION_PARAMETER ? 1 : 0; }

uint16_t readParam(const ParameterDefinition& def, uint32_t* value) {
  uint16_t echoed = 0;
  return withRetry([&] { return request_RDPARM(nullptr, bankFor(def.number), def.number, &echoed, value); });
}

int cmdParamsList(const std::vector<std::string>& args) {
  bool servo = true, option = true;
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--servo") option = false;
    else if (args[i] == "--option") servo = false;
    else return usage("unknown option");
  }
  Progress p;
  p.terminal = stderrIsTerminal();
  p.total = g_parameterTable.count;
  std::string json = "[";
  bool first = true;
  for (uint16_t i = 0; i < g_parameterTable.count && g_running; ++i) {
    const ParameterDefinition& def = g_parameterTable.entries[i];
    bool isServo = def.number < FIRST_OPTION_PARAMETER;
    if ((isServo && !servo) || (!isServo && !option)) continue;
    char label[8];
    std::snprintf(label, sizeof label, "%04X", def.number);
    progressStep(&p, LABEL_PARAMETER_SAVE, label);
    uint32_t raw = 0;
    uint16_t echoed = 0;
    uint16_t st = request_RDPARM(nullptr, bankFor(def.number), def.number, &echoed, &raw);
    if (st == STATUS_ERROR_REPLY) continue;   // not on this module
    if (st) { progressEnd(p); return exitForStatus(st); }
    int32_t v = storedValue(def, raw);
    std::string name = toUtf8(def.name), unit = toUtf8(def.unit);
    if (g_opt.json) {
      json += std::string(first ? "" : ",") + "{\"number\":" + std::to_string(def.number) + ",\"pn\":" +
              jsonString(pnName(def.number)) + ",\"name\":" + jsonString(name) + ",\"value\":" +
              std::to_string(v) + ",\"text\":" + jsonString(valueText(def, v)) + ",\"unit\":" + jsonString(unit) + "}";
    } else {
      std::printf("%-7s %-40s %14s %s\n", pnName(def.number).c_str(), name.c_str(), valueText(def, v).c_str(), unit.c_str());
    }
    first = false;
  }
  progressEnd(p);
  if (g_opt.json) std::printf("%s]\n", json.c_str());
  return g_running ? EXIT_OK : EXIT_COMM;
}

int cmdParamsGet(const std::vector<std::string>& args) {
  uint16_t number;
  if (args.size() != 3 || !parsePn(args[2], &number)) return usage("expected params get PnXXXX");
  ParameterDefinition* def = findDefinition(number);
  if (!def) { std::fprintf(stderr, "qzctl %s: %s is not defined\n", g_command.c_str(), pnName(number).c_str()); return EXIT_USAGE; }
  uint32_t raw = 0;
  uint16_t st = readParam(*def, &raw);
  // A rejected number comes back without a box: say so here.
  if (st == STATUS_ERROR_REPLY)
    std::fprintf(stderr, "qzctl %s: RDPARM error reply, the module rejects %s\n", g_command.c_str(),
                 pnName(number).c_str());
  if (st) return exitForStatus(st);
  int32_t v = storedValue(*def, raw);
  if (g_opt.json)
    std::printf("{\"number\":%u,\"pn\":%s,\"name\":%s,\"value\":%d,\"text\":%s,\"unit\":%s}\n", def->number,
                jsonString(pnName(number)).c_str(), jsonString(toUtf8(def->name)).c_str(), v,
                jsonString(valueText(*def, v)).c_str(), jsonString(toUtf8(def->unit)).c_str());
  else
    std::printf("%s %s %s %s\n", pnName(number).c_str(), toUtf8(def->name).c_str(), valueText(*def, v).c_str(),
                toUtf8(def->unit).c_str());
  return EXIT_OK;
}

int cmdParamsSet(const std::vector<std::string>& args) {
  uint16_t number;
  if (args.size() != 4 || !parsePn(args[2], &number)) return usage("expected params set PnXXXX VALUE");
  ParameterDefinition* def = findDefinition(number);
  if (!def) { std::fprintf(stderr, "qzctl %s: %s is not defined\n", g_command.c_str(), pnName(number).c_str()); return EXIT_USAGE; }
  int32_t value = 0;
  if (def->kind == 'D') {
    if (!parseFormatted(def->format, args[3], &value)) return usage("invalid decimal value");
  } else {
    uint32_t v;
    if (!parseHex(args[3], &v)) return usage("invalid hexadecimal value");
    if (def->size < 4 && v >> (8 * def->size)) return usage("value too wide for the parameter");
    value = widenStored(static_cast<int32_t>(v), def->size, definitionSigned(*def));
  }
  if (const char* why = checkValue(*def, value)) {
    std::fprintf(stderr, "qzctl %s: %s value %s: %s\n", g_command.c_str(), pnName(number).c_str(), args[3].c_str(), why);
    return EXIT_USAGE;
  }
  uint16_t st = withRetry([&] { return request_WRPARM(nullptr, bankFor(number), number, static_cast<uint32_t>(value)); });
  if (st) return exitForStatus(st);
  if (g_opt.json) std::printf("{\"number\":%u,\"pn\":%s,\"value\":%d}\n", number, jsonString(pnName(number)).c_str(), value);
  else std::printf("%s %s\n", pnName(number).c_str(), valueText(*def, value).c_str());
  return EXIT_OK;
}

void printVerifyRows() {
  if (g_opt.json) {
    std::printf("{\"differences\":%zu,\"rows\":[", g_rows.size());
    for (size_t i = 0; i < g_rows.size(); ++i) {
      std::printf("%s[", i ? "," : "");
      for (int c = 0; c < VERIFY_COLUMNS; ++c)
        std::printf("%s%s", c ? "," : "", jsonString(toUtf8(g_rows[i].columns[c])).c_str());
      std::printf("]");
    }
    std::printf("]}\n");
    return;
  }
  for (const VerifyRow& r : g_rows) {
    std::printf("%-8s %-40s %14s %14s %s\n", toUtf8(r.columns[0]).c_str(), toUtf8(r.columns[1]).c_str(),
                toUtf8(r.columns[2]).c_str(), toUtf8(r.columns[3]).c_str(), toUtf8(r.columns[4]).c_str());
  }
  std::printf("%zu difference%s\n", g_rows.size(), g_rows.size() == 1 ? "" : "s");
}

int fileError(const char* what, const std::string& path, uint16_t line) {
  char text[12];
  formatFileErrorLine(line, text);
  std::fprintf(stderr, "qzctl %s: %s %s %s\n", g_command.c_str(), what, path.c_str(), text);
  return EXIT_FILE;
}

ParameterTable g_fileTable;

int paramsVerify(const std::string& path) {
  uint16_t line = readParameterVerifyFile(nullptr, path.c_str(), g_parameterTable, &g_fileTable);
  if (line) return EXIT_FILE;
  Progress p;
  TransferSink sink = makeSink(&p);
  g_rows.clear();
  uint16_t r = verifyParameters(nullptr, &g_parameterTable, g_fileTable, g_running, sink);
  int code = transferExit(r, p, statusFromLastBox());
  if (code) return code;
  printVerifyRows();
  return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
}

int cmdParamsFile(const std::vector<std::string>& args) {
  const std::string& sub = args[1];
  if (args.size() < 3) return usage("a file name is needed");
  const std::string path = args[2];
  bool verify = args.size() == 4 && args[3] == "--verify" && sub == "load";
  if (args.size() > 3 && !verify) return usage("unexpected argument");
  if (sub == "save") {
    Progress p;
    TransferSink sink = makeSink(&p);
    uint16_t r = saveParameters(nullptr, &g_parameterTable, g_running, sink);
    int code = transferExit(r, p, statusFromLastBox());
    if (code) return code;
    if (writeParameterFile(path.c_str(), &g_parameterTable) != 0)
      return fileError("cannot write the parameter file", path, 0xFFFF);
    if (g_opt.json) std::printf("{\"saved\":%u,\"file\":%s}\n", p.total, jsonString(path).c_str());
    else if (!g_opt.quiet) std::fprintf(stderr, "saved %u parameters to %s\n", p.total, path.c_str());
    return EXIT_OK;
  }
  if (sub == "load") {
    uint16_t line = readParameterFile(path.c_str(), &g_parameterTable);
    if (line) return fileError("cannot read the parameter file", path, line);
    Progress p;
    TransferSink sink = makeSink(&p);
    uint16_t r = loadParameters(nullptr, g_parameterTable, g_running, sink);
    int code = transferExit(r, p, statusFromLastBox());
    if (code) return code;
    if (!verify) {
      if (g_opt.json) std::printf("{\"loaded\":%u,\"file\":%s}\n", p.total, jsonString(path).c_str());
      return EXIT_OK;
    }
    return paramsVerify(path);
  }
  if (sub == "verify") return paramsVerify(path);
  return usage("unknown params command");
}

int cmdParamsCheck(const std::vector<std::string>& args) {
  if (args.size() != 3) return usage("expected params check FILE.PRM");
  uint16_t line = readParameterFile(args[2].c_str(), &g_parameterTable);
  if (line) return fileError("cannot read the parameter file", args[2], line);
  int offenders = 0;
  std::string json = "[";
  for (uint16_t i = 0; i < g_parameterTable.count; ++i) {
    const ParameterDefinition& def = g_parameterTable.entries[i];
    if (!def.valueValid) continue;
    int32_t v = widenStored(def.value, def.size, definitionSigned(def));
    const char* why = checkValue(def, v);
    if (!why) continue;
    if (g_opt.json)
      json += std::string(offenders ? "," : "") + "{\"pn\":" + jsonString(pnName(def.number)) + ",\"value\":" +
              std::to_string(v) + ",\"reason\":" + jsonString(why) + "}";
    else
      std::printf("%s %s %s: %s\n", pnName(def.number).c_str(), toUtf8(def.name).c_str(), valueText(def, v).c_str(), why);
    ++offenders;
  }
  if (g_opt.json) std::printf("{\"offenders\":%d,\"rows\":%s]}\n", offenders, json.c_str());
  else if (offenders == 0) std::printf("all values within their definitions\n");
  return offenders ? EXIT_DIFFERS : EXIT_OK;
}

int cmdParams(const std::vector<std::string>& args) {
  if (args.size() < 2) return usage("params needs a subcommand");
  const std::string& sub = args[1];
  if (sub == "check") return cmdParamsCheck(args);
  if (int code = loadDefs()) return code;
  if (sub == "list") { if (int c = connectModule()) return c; return cmdParamsList(args); }
  if (sub == "get") { if (int c = connectModule()) return c; return cmdParamsGet(args); }
  if (sub == "set") { if (int c = connectModule()) return c; return cmdParamsSet(args); }
  if (sub == "save" || sub == "load" || sub == "verify") {
    if (sub != "save" && args.size() >= 3) {
      // A broken file is reported before the port is touched.
      ParameterTable* probe = &g_fileTable;
      std::memcpy(probe, &g_parameterTable, sizeof g_parameterTable);
      uint16_t line = readParameterFile(args[2].c_str(), probe);
      if (line) return fileError("cannot read the parameter file", args[2], line);
    }
    if (int c = connectModule()) return c;
    return cmdParamsFile(args);
  }
  return usage("unknown params command");
}

// ---- points -------------------------------------------------------------------

int pointsVerify(const std::string& path) {
  static PointEntry file[POINT_COUNT];
  if (readPointVerifyFile(nullptr, path.c_str(), file)) return EXIT_FILE;
  Progress p;
  TransferSink sink = makeSink(&p);
  g_rows.clear();
  uint16_t r = verifyPointTable(nullptr, &g_points, file, g_opt.valueFormat, g_running, sink);
  int code = transferExit(r, p, statusFromLastBox());
  if (code) return code;
  printVerifyRows();
  return g_rows.empty() ? EXIT_OK : EXIT_DIFFERS;
}

int cmdPoints(const std::vector<std::string>& args) {
  if (args.size() < 2) return usage("points needs a subcommand");
  const std::string& sub = args[1];
  if ((sub == "load" || sub == "verify") && args.size() >= 3) {
    static PointEntry probe[POINT_COUNT];
    uint16_t line = readPointFile(args[2].c_str(), probe);
    if (line) return fileError("cannot read the point file", args[2], line);
  }
  if (sub == "list") {
    if (args.size() != 2) return usage("unexpected argument");
    if (int c = connectModule()) return c;
    Progress p;
    TransferSink sink = makeSink(&p);
    uint16_t r = savePointTable(nullptr, &g_points, g_running, sink);
    if (int code = transferExit(r, p, statusFromLastBox())) return code;
    if (g_opt.json) std::printf("[");
    for (int i = 0; i < POINT_COUNT; ++i) {
      const PointEntry& e = g_points.points[i];
      if (g_opt.json)
        std::printf("%s{\"point\":%d,\"speed\":%s,\"position\":%s}", i ? "," : "", i + 1,
                    formatted(g_opt.valueFormat, static_cast<int32_t>(e.speed)).c_str(),
                    formatted(g_opt.valueFormat, e.position).c_str());
      else
        std::printf("%3d %14s %14s\n", i + 1, formatted(g_opt.valueFormat, static_cast<int32_t>(e.speed)).c_str(),
                    formatted(g_opt.valueFormat, e.position).c_str());
    }
    if (g_opt.json) std::printf("]\n");
    return EXIT_OK;
  }
  if (sub == "get" || sub == "set") {
    long n;
    if (args.size() < 3 || !parseDecimal(args[2], 1, POINT_COUNT, &n)) return usage("point number 1..50 expected");
    bool haveSpeed = false, havePos = false;
    int32_t speed = 0, position = 0;
    if (sub == "set") {
      for (size_t i = 3; i < args.size(); ++i) {
        if (i + 1 >= args.size()) return usage("option needs a value");
        if (args[i] == "--speed") { if (!parseFormatted(g_opt.valueFormat, args[++i], &speed) || speed < 0) return usage("invalid speed"); haveSpeed = true; }
        else if (args[i] == "--position") { if (!parseFormatted(g_opt.valueFormat, args[++i], &position)) return usage("invalid position"); havePos = true; }
        else return usage("unknown option");
      }
      if (!haveSpeed) return usage("points set needs --speed");
    } else if (args.size() != 3) return usage("unexpected argument");
    if (int c = connectModule()) return c;
    uint16_t point = static_cast<uint16_t>(n);
    if (sub == "set") {
      // Without --position the module keeps its current position (source PARM).
      uint16_t st = withRetry([&] {
        return request_SET_PT(nullptr, point, static_cast<uint32_t>(speed), havePos ? kExplicitValueCode : 0,
                              static_cast<uint32_t>(position));
      });
      if (st) return exitForStatus(st);
    }
    uint32_t s = 0, pos = 0;
    uint16_t st = withRetry([&] { return request_GET_PT(nullptr, point, &s, &pos); });
    if (st) return exitForStatus(st);
    std::string ss = formatted(g_opt.valueFormat, static_cast<int32_t>(s));
    std::string ps = formatted(g_opt.valueFormat, static_cast<int32_t>(pos));
    if (g_opt.json) std::printf("{\"point\":%ld,\"speed\":%s,\"position\":%s}\n", n, ss.c_str(), ps.c_str());
    else std::printf("%ld %s %s\n", n, ss.c_str(), ps.c_str());
    return EXIT_OK;
  }
  if (sub == "save" || sub == "load" || sub == "verify") {
    if (args.size() < 3) return usage("a file name is needed");
    bool verify = sub == "load" && args.size() == 4 && args[3] == "--verify";
    if (args.size() > 3 && !verify) return usage("unexpected argument");
    const std::string path = args[2];
    if (int c = connectModule()) return c;
    if (sub == "verify") return pointsVerify(path);
    Progress p;
    TransferSink sink = makeSink(&p);
    if (sub == "save") {
      uint16_t r = savePointTable(nullptr, &g_points, g_running, sink);
      if (int code = transferExit(r, p, statusFromLastBox())) return code;
      if (writePointFile(path.c_str(), g_points.points) != 0) return fileError("cannot write the point file", path, 0xFFFF);
      if (g_opt.json) std::printf("{\"saved\":%d,\"file\":%s}\n", POINT_COUNT, jsonString(path).c_str());
      return EXIT_OK;
    }
    std::memset(&g_points, 0, sizeof g_points);
    uint16_t line = readPointFile(path.c_str(), g_points.points);
    if (line) return fileError("cannot read the point file", path, line);
    uint16_t r = loadPointTable(nullptr, g_points, g_running, sink);
    if (int code = transferExit(r, p, statusFromLastBox())) return code;
    if (verify) return pointsVerify(path);
    if (g_opt.json) std::printf("{\"loaded\":%d,\"file\":%s}\n", POINT_COUNT, jsonString(path).c_str());
    return EXIT_OK;
  }
  return usage("unknown points command");
}

// outputs write W0 W1 W2 [--mask M0 M1 M2] | outputs release
int cmdOutputs(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[1] == "release") {
    const uint16_t none[3] = {0, 0, 0};
    if (int e = connectModule()) return e;
    return exitForStatus(withRetry([&] { return request_SETDIS(nullptr, none); }));
  }
  bool masked = args.size() == 9 && args[5] == "--mask";
  if (args.size() < 2 || args[1] != "write" || (args.size() != 5 && !masked))
    return usage("expected outputs write W0 W1 W2 [--mask M0 M1 M2] or outputs release");
  uint16_t words[3], mask[3] = {0xFFFF, 0xFFFF, 0xFFFF};
  for (int k = 0; k < 3; ++k) {
    uint32_t w, m = 0xFFFF;
    if (!parseHex(args[2 + k], &w) || w > 0xFFFF || (masked && (!parseHex(args[6 + k], &m) || m > 0xFFFF)))
      return usage("output words and masks are hexadecimal 0..FFFF");
    words[k] = static_cast<uint16_t>(w);
    mask[k] = static_cast<uint16_t>(m);
  }
  if (int e = connectModule()) return e;
  if (int e = exitForStatus(withRetry([&] { return request_SETDIS(nullptr, mask); }))) return e;
  return exitForStatus(withRetry([&] { return request_WRPORT(nullptr, words); }));
}

// ---- motion -----------------------------------------------------------------

struct MotionArgs {
  MotionHead head{1, 0, 0, 0, 0};  // accel, filter and speed follow the parameters
  bool wait = false;
  std::vector<std::string> rest;  // positional words and command-specific options
};

int keywordIndex(const std::string& word, std::initializer_list<const char*> names) {
  int i = 0;
  for (const char* n : names) {
    if (word == n) return i;
    ++i;
  }
  return -1;
}

// Takes the motion options out of args[1..]; the rest stays in order.
int parseMotion(const std::vector<std::string>& args, MotionArgs* m) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool more = i + 1 < args.size();
    if (a == "--accel" && more) {
      int k = keywordIndex(args[++i], {"none", "lacc", "twos", "idea"});
      if (k < 0) return usage("--accel must be none, lacc, twos or idea");
      m->head.accelType = static_cast<uint8_t>(k + 1);
    } else if (a == "--filter" && more) {
      int k = keywordIndex(args[++i], {"none", "exp", "bias", "mave"});
      if (k < 0) return usage("--filter must be none, exp, bias or mave");
      m->head.filterType = static_cast<uint8_t>(k + 1);
    } else if (a == "--speed" && more) {
      int32_t v;
      if (!parseFormatted(g_opt.valueFormat, args[++i], &v) || v < 0) return usage("invalid speed");
      m->head.speedSource = 4;
      m->head.speed = static_cast<uint32_t>(v);
    } else if (a == "--wait") {
      m->wait = true;
    } else {
      m->rest.push_back(a);
    }
  }
  return EXIT_OK;
}

// Polls the motion state every 100 ms until the block has ended, then prints the command position.
int waitForBlockEnd() {
  uint8_t state = 1;
  uint16_t word = 0;
  while (g_running) {
    if (int e = exitForStatus(withRetry([&] { return request_RDMSTS(nullptr, &state, &word); }))) return e;
    if (state == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!g_running) {
    request_STOP__(nullptr, 0);
    std::fprintf(stderr, "qzctl %s: interrupted, motion stopped\n", g_command.c_str());
    return EXIT_COMM;
  }
  uint32_t pos = 0, fb, dev, latch, torque, m1, m2;
  if (int e = exitForStatus(withRetry([&] { return request_RD_MON(nullptr, &pos, &fb, &dev, &latch, &torque, &m1, &m2); })))
    return e;
  std::string text = formatted(g_opt.valueFormat, static_cast<int32_t>(pos));
  if (g_opt.json) std::printf("{\"commandPosition\":%s}\n", text.c_str());
  else std::printf("command position %s\n", text.c_str());
  return EXIT_OK;
}

int finishMotion(uint16_t status, const MotionArgs& m) {
  if (int e = exitForStatus(status)) return e;
  return m.wait ? waitForBlockEnd() : EXIT_OK;
}

int cmdMotion(const std::vector<std::string>& args) {
  MotionArgs m;
  if (int e = parseMotion(args, &m)) return e;
  const std::string& c = args[0];
  const std::vector<std::string>& r = m.rest;
  long n;
  if (c == "home") {
    if (!r.empty()) return usage("unexpected argument");
    if (int e = connectModule()) return e;
    return finishMotion(withRetry([&] { return request_HOMING(nullptr, m.head); }), m);
  }
  if (c == "move" && r.size() == 2 && (r[0] == "abs" || r[0] == "inc")) {
    int32_t target;
    if (!parseFormatted(g_opt.valueFormat, r[1], &target)) return usage("invalid target");
    m.head.moveType = r[0] == "abs" ? 1 : 2;
    if (int e = connectModule()) return e;
    return finishMotion(withRetry([&] { return request_POSING(nullptr, m.head, static_cast<uint32_t>(target)); }), m);
  }
  if (c == "move" && r.size() == 2 && r[0] == "point") {
    if (!parseDecimal(r[1], 1, 50, &n)) return usage("point number must be 1..50");
    if (int e = connectModule()) return e;
    return finishMotion(withRetry([&] {
      return request_GOTOPT(nullptr, 1, m.head.accelType, m.head.filterType, static_cast<uint16_t>(n));
    }), m);
  }
  if (c == "move" && r.size() >= 2 && r[0] == "station") {
    uint8_t dir = 2;
    if (r.size() == 4 && r[2] == "--dir") {
      int k = keywordIndex(r[3], {"cw", "ccw", "near"});
      if (k < 0) return usage("--dir must be cw, ccw or near");
      dir = static_cast<uint8_t>(k);
    } else if (r.size() != 2) {
      return usage("unexpected argument");
    }
    if (!parseDecimal(r[1], 0, 0x7FFFFFFF, &n)) return usage("invalid station number");
    if (int e = connectModule()) return e;
    return finishMotion(withRetry([&] { return request_GOTOST(nullptr, m.head, static_cast<uint32_t>(n), dir); }), m);
  }
  if (c == "step" && !r.empty() && (r[0] == "+" || r[0] == "-")) {
    uint8_t source = 0;
    uint32_t amount = 0;
    if (r.size() == 3 && r[1] == "--param") {
      if (!parseDecimal(r[2], 1, 4, &n)) return usage("--param must be 1..4");
      source = static_cast<uint8_t>(n - 1);
    } else if (r.size() == 3 && r[1] == "--amount") {
      int32_t a;
      if (!parseFormatted(g_opt.valueFormat, r[2], &a) || a < 0) return usage("invalid amount");
      source = 4;
      amount = static_cast<uint32_t>(a);
    } else if (r.size() != 1) {
      return usage("unexpected argument");
    }
    if (int e = connectModule()) return e;
    uint8_t dir = r[0] == "+" ? 0 : 1;
    return finishMotion(withRetry([&] { return request_STEP__(nullptr, m.head, dir, source, amount); }), m);
  }
  if (c == "jog" && r.size() == 3 && (r[0] == "cw" || r[0] == "ccw") && r[1] == "--for") {
    if (!parseDecimal(r[2], 1, 3600000, &n)) return usage("--for needs milliseconds 1..3600000");
    if (int e = connectModule()) return e;
    uint8_t dir = r[0] == "cw" ? 0 : 1;
    uint16_t fed = withRetry([&] {
      return request_FEED__(nullptr, m.head.accelType, m.head.filterType, m.head.speedSource, m.head.speed, dir);
    });
    if (fed != STATUS_OK) return exitForStatus(fed);
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(n);
    while (g_running && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // The stop is sent in every case, also after Ctrl-C.
    int e = exitForStatus(withRetry([&] { return request_STOP__(nullptr, 0); }));
    if (!g_running) {
      std::fprintf(stderr, "qzctl %s: interrupted, feed stopped\n", g_command.c_str());
      return EXIT_COMM;
    }
    return e;
  }
  return usage("unknown motion arguments");
}

// ---- monitor ----------------------------------------------------------------

const char* stateKeyword(uint8_t state) {
  for (const KeywordEntry* k = MotionStateKeywords; k->code != kTableEnd; ++k)
    if (k->code == state) return k->text;
  return "?";
}

// One poll of a monitor view: names and values as text (values already in their display form).
uint16_t pollMonitor(const std::string& view, std::vector<std::pair<std::string, std::string>>* out) {
  out->clear();
  char hex[12];
  if (view == "motion") {
    uint8_t state = 0;
    uint16_t word = 0;
    uint16_t st = request_RDMSTS(nullptr, &state, &word);
    if (st) return st;
    out->push_back({"state", stateKeyword(state)});
    std::snprintf(hex, sizeof hex, "%04X", word);
    out->push_back({"status", hex});
    return 0;
  }
  if (view == "inputs" || view == "outputs") {
    uint16_t bits[3] = {};
    uint16_t st = request_RDPORT(nullptr, view == "inputs" ? 0 : 1, bits);
    if (st) return st;
    for (int k = 0; k < 3; ++k) {
      std::snprintf(hex, sizeof hex, "%04X", bits[k]);
      out->push_back({"word" + std::to_string(k), hex});
    }
    return 0;
  }
  uint32_t v[7] = {};
  uint16_t st = request_RD_MON(nullptr, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]);
  if (st) return st;
  static const char* kNames[7] = {"command", "feedback", "deviation", "latch", "torque", "monitor1", "monitor2"};
  for (int k = 0; k < 7; ++k) out->push_back({kNames[k], formatted(g_opt.valueFormat, static_cast<int32_t>(v[k]))});
  return 0;
}

int cmdMonitor(const std::vector<std::string>& args) {
  if (args.size() < 2 || keywordIndex(args[1], {"motion", "inputs", "outputs", "values"}) < 0)
    return usage("expected monitor motion|inputs|outputs|values");
  bool watch = false, csv = false;
  long count = 0, interval = 500;
  for (size_t i = 2; i < args.size(); ++i) {
    bool more = i + 1 < args.size();
    if (args[i] == "--watch") watch = true;
    else if (args[i] == "--csv") csv = true;
    else if (args[i] == "--count" && more) { if (!parseDecimal(args[++i], 1, 1000000, &count)) return usage("invalid --count"); }
    else if (args[i] == "--interval" && more) { if (!parseDecimal(args[++i], 10, 3600000, &interval)) return usage("invalid --interval"); }
    else return usage("unexpected argument");
  }
  if (int e = connectModule()) return e;
  std::vector<std::pair<std::string, std::string>> row;
  auto start = std::chrono::steady_clock::now();
  for (long n = 0; g_running && (!watch || count == 0 || n < count); ++n) {
    if (n) std::this_thread::sleep_for(std::chrono::milliseconds(interval));
    if (int e = exitForStatus(withRetry([&] { return pollMonitor(args[1], &row); }))) return e;
    long ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - start).count());
    if (csv) {
      if (n == 0) {
        std::printf("ms");
        for (auto& f : row) std::printf(",%s", f.first.c_str());
        std::printf("\n");
      }
      std::printf("%ld", ms);
      for (auto& f : row) std::printf(",%s", f.second.c_str());
      std::printf("\n");
    } else if (g_opt.json) {
      std::printf("{");
      for (size_t k = 0; k < row.size(); ++k) {
        bool number = args[1] == "values";
        std::printf("%s%s:%s", k ? "," : "", jsonString(row[k].first).c_str(),
                    number ? row[k].second.c_str() : jsonString(row[k].second).c_str());
      }
      std::printf("}\n");
    } else {
      for (auto& f : row) std::printf("%-10s %s\n", f.first.c_str(), f.second.c_str());
    }
    std::fflush(stdout);
    if (!watch) break;
  }
  return g_running ? EXIT_OK : EXIT_COMM;
}

// ---- alarms -----------------------------------------------------------------

// alarms [--history] [--clear]: QZ current alarms, or the SV history; --clear clears that unit's current alarms.
int cmdAlarms(const std::vector<std::string>& args) {
  bool history = false, clear = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--history") history = true;
    else if (args[i] == "--clear") clear = true;
    else return usage("unexpected argument");
  }
  uint8_t device = history ? 1 : 0;  // QZ, SV
  if (int e = connectModule()) return e;
  if (clear) return exitForStatus(withRetry([&] { return request_CLRALM(nullptr, 1, device); }));
  AlarmEntry entries[kMaxAlarmEntries] = {};
  uint16_t count = 0;
  if (int e = exitForStatus(withRetry([&] { return request_RD_ALM(nullptr, device, &count, entries); }))) return e;
  if (count > kMaxAlarmEntries) count = kMaxAlarmEntries;
  if (g_opt.json) std::printf("{\"unit\":\"%s\",\"alarms\":[", history ? "SV" : "QZ");
  for (uint16_t i = 0; i < count; ++i) {
    uint32_t code = entries[i].alarmWord & 0xFF;
    if (g_opt.json)
      std::printf("%s{\"stamp\":%u,\"code\":%u,\"word\":%u}", i ? "," : "", entries[i].timeStamp, code,
                  entries[i].alarmWord);
    else
      std::printf("%2u  %08X  %02X  %08X\n", i + 1u, entries[i].timeStamp, code, entries[i].alarmWord);
  }
  if (g_opt.json) std::printf("]}\n");
  else if (count == 0) std::printf("no alarms\n");
  return EXIT_OK;
}

// ---- memory -----------------------------------------------------------------

// mem read ADDRESS SIZE | mem write ADDRESS VALUE, [--type byte|word|long]; QZ unit memory.
int cmdMem(const std::vector<std::string>& args) {
  int unit = 1;
  std::vector<std::string> r;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--type" && i + 1 < args.size()) {
      int k = keywordIndex(args[++i], {"byte", "word", "long"});
      if (k < 0) return usage("--type must be byte, word or long");
      unit = 1 << k;
    } else {
      r.push_back(args[i]);
    }
  }
  uint32_t address, value = 0;
  long size = 0;
  if (r.size() != 3 || (r[0] != "read" && r[0] != "write") || !parseHex(r[1], &address))
    return usage("expected mem read ADDRESS SIZE or mem write ADDRESS VALUE");
  bool reading = r[0] == "read";
  if (reading ? !parseDecimal(r[2], 1, 4096, &size) : !parseHex(r[2], &value))
    return usage(reading ? "SIZE is decimal 1..4096" : "VALUE is hexadecimal");
  if (!reading && unit < 4 && value >> (8 * unit)) return usage("VALUE does not fit the --type");
  if (int e = connectModule()) return e;
  if (!reading) {
    uint8_t data[4];
    for (int k = 0; k < unit; ++k) data[k] = static_cast<uint8_t>(value >> (8 * k));
    return exitForStatus(withRetry([&] { return request_WR_MEM(nullptr, 0, address, static_cast<uint16_t>(unit), data); }));
  }
  uint32_t total = static_cast<uint32_t>(size) * static_cast<uint32_t>(unit);
  std::vector<uint8_t> bytes(total);
  for (uint32_t done = 0; done < total && g_running;) {
    uint16_t chunk = static_cast<uint16_t>(std::min<uint32_t>(96, total - done));
    if (int e = exitForStatus(withRetry([&] { return request_RD_MEM(nullptr, 0, address + done, chunk, &bytes[done]); })))
      return e;
    done += chunk;
  }
  if (!g_running) return EXIT_COMM;
  if (g_opt.json) std::printf("{\"address\":%u,\"type\":%d,\"values\":[", address, unit);
  for (uint32_t off = 0; off < total; off += static_cast<uint32_t>(unit)) {
    uint32_t v = 0;
    for (int k = 0; k < unit; ++k) v |= static_cast<uint32_t>(bytes[off + k]) << (8 * k);
    if (g_opt.json) { std::printf("%s%u", off ? "," : "", v); continue; }
    if (off % 16 == 0) std::printf("%s%08X ", off ? "\n" : "", address + off);
    std::printf(" %0*X", unit * 2, v);
  }
  std::printf(g_opt.json ? "]}\n" : "\n");
  return EXIT_OK;
}

int cmdSimple(const std::vector<std::string>& args) {
  const std::string& c = args[0];
  if (c == "reset") {
    if (args.size() != 1) return usage("unexpected argument");
    if (int e = connectModule()) return e;
    return exitForStatus(withRetry([&] { return request_RSTMDL(nullptr); }));
  }
  if (c == "servo" || c == "brake") {
    if (args.size() != 2 || (args[1] != "on" && args[1] != "off")) return usage("expected on or off");
    uint8_t on = args[1] == "on";
    if (int e = connectModule()) return e;
    return exitForStatus(withRetry([&] { return c == "servo" ? request_SVCTRL(nullptr, on) : request_BKCTRL(nullptr, on); }));
  }
  if (c == "stop") {
    bool zero = args.size() == 2 && args[1] == "--zero";
    if (args.size() > 2 || (args.size() == 2 && !zero)) return usage("unexpected argument");
    if (int e = connectModule()) return e;
    // Stop modes: 0 decelerate, 1 immediate.
    return exitForStatus(withRetry([&] { return request_STOP__(nullptr, zero ? 1 : 0); }));
  }
  return usage("unknown command");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> rest;
  const char* env = std::getenv("QZ_PORT");
#ifdef _WIN32
  g_opt.port = env && *env ? env : "COM1";
#else
  g_opt.port = env && *env ? env : "/dev/ttyS0";
#endif
  g_opt.defs = "ParmDef.cfg";
  g_command = "qzctl";
  bool help = false;
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "-p" || a == "--port") { if (!value(&g_opt.port)) return usage("--port needs a value"); }
    else if (a == "-d" || a == "--defs") { if (!value(&g_opt.defs)) return usage("--defs needs a value"); }
    else if (a == "--linear") g_opt.defs = "ParmDefL.cfg";
    else if (a == "--unit") {
      if (!value(&v)) return usage("--unit needs a value");
      if (v == "0.001") g_opt.valueFormat = VALUE_FORMAT_0_001;
      else if (v == "0.01") g_opt.valueFormat = VALUE_FORMAT_0_01;
      else if (v == "0.1") g_opt.valueFormat = VALUE_FORMAT_0_1;
      else if (v == "1") g_opt.valueFormat = VALUE_FORMAT_1;
      else return usage("--unit must be 0.001, 0.01, 0.1 or 1");
    }
    else if (a == "--json") g_opt.json = true;
    else if (a == "-q" || a == "--quiet") g_opt.quiet = true;
    else if (a == "--retry") {
      long n;
      if (!value(&v) || !parseDecimal(v, 0, 100, &n)) return usage("--retry needs a count 0..100");
      g_opt.retry = static_cast<int>(n);
    }
    else if (a == "--trace") { if (!value(&g_opt.trace)) return usage("--trace needs a file"); }
    else if (a == "-h" || a == "--help") help = true;
    else if (!a.empty() && a[0] == '-') return usage(("unknown option " + a).c_str());
    else break;
  }
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") help = true;
    else if (a == "--json") g_opt.json = true;
    else if (a == "-q" || a == "--quiet") g_opt.quiet = true;
    else rest.push_back(a);
  }
  if (help || rest.empty()) {
    std::fputs(kHelp, help ? stdout : stderr);
    return help ? EXIT_OK : EXIT_USAGE;
  }
  g_command = rest[0] + (rest.size() > 1 && rest[1][0] != '-' ? " " + rest[1] : "");
  setPromptInterface(&kRecordingPrompt);
  if (!g_opt.trace.empty() && !traceOpen(g_opt.trace)) {
    std::fprintf(stderr, "qzctl %s: cannot open the trace file %s\n", g_command.c_str(), g_opt.trace.c_str());
    return EXIT_FILE;
  }
  std::signal(SIGINT, onInterrupt);

  int code;
  const std::string& c = rest[0];
  if (c == "status") code = rest.size() == 1 ? (connectModule() ? EXIT_COMM : cmdStatus()) : usage("unexpected argument");
  else if (c == "id") code = rest.size() == 1 ? (connectModule() ? EXIT_COMM : cmdId()) : usage("unexpected argument");
  else if (c == "params") code = cmdParams(rest);
  else if (c == "points") code = cmdPoints(rest);
  else if (c == "outputs") code = cmdOutputs(rest);
  else if (c == "home" || c == "move" || c == "step" || c == "jog") code = cmdMotion(rest);
  else if (c == "monitor") code = cmdMonitor(rest);
  else if (c == "alarms") code = cmdAlarms(rest);
  else if (c == "mem") code = cmdMem(rest);
  else code = cmdSimple(rest);

  if (linkRunning()) linkShutdown();
  if (!g_opt.trace.empty()) traceClose();
  freeDefinitionPool();
  return code;
}
