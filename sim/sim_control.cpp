// The control-port commands: one line in, the answer text out, found by verb in a table.
#include "sim/sim_control.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <sstream>

const char* const kSimHelp =
    "usage: qzsim [--defs FILE] [--prm FILE] [--pnt FILE] [--link PATH] [--control-port N]\n"
    "             [--pace] [--quiet]\n"
    "Serves the module protocol on a pseudo-terminal (printed as \"QZSIM PTY <path>\") and a\n"
    "loopback control port (\"QZSIM CONTROL <port>\"; 0 picks a free one). One command per\n"
    "line, each answer ends with OK or ERR <reason>:\n"
    "  PING | HELP | RESET | PACE ON|OFF | LOG | LOG CLEAR\n"
    "  GET STATUS | SET READY|SERVO|MAIN|ALARM 0|1 | GET MOTION\n"
    "  SET EMSTOP 0|1       emergency stop input: the axis halts, RDMSTS says EM_STOP\n"
    "  SET SETTLE <ms>      time from block end until the state keyword says NEUTRAL\n"
    "  GET PARAM <hex4> | SET PARAM <hex4> <hex8> | GET POINT <n> | SET POINT <n> <hex8> <hex8>\n"
    "  SET INPUTS <hex4> <hex4> <hex4> | SET ALARMS QZ|SV [<hex8 stamp> <hex8 word>]...\n"
    "  SET ID <0-5> <text> | GET OUTPUTS | GET MEM QZ|SV <hex4 address>\n"
    "Faults (<n>: for that many replies; FAULT NONE clears them all):\n"
    "  FAULT SILENT                  the line is dead: nothing is answered\n"
    "  FAULT NOREPLY <n> [<CMD>]     requests (of that command) are not answered\n"
    "  FAULT HEADER <n>              the reply's command name is wrong\n"
    "  FAULT PREFIX <n>              a byte in front of the reply's STX\n"
    "  FAULT SPLIT <n>               the reply comes in two bursts 80 ms apart\n"
    "  FAULT TRUNCATE <n> <bytes>    the reply is cut after <bytes> bytes\n"
    "  FAULT ERROR <CMD> <hex4>      every <CMD> is answered with that error code\n"
    "  FAULT ECHO <n>                RDPARM, GET_PT: the echoed number is one higher\n"
    "  FAULT KEYWORD <n>             RDMSTS, RDSSTS: a state keyword the tool does not know\n"
    "  FAULT NOSEMI <n>              RDDVID: 40 characters of text without \";\"\n"
    "  FAULT MEMCOUNT <n> <delta>    RD_MEM: the chain carries <delta> bytes more (or fewer)\n"
    "  FAULT CHAINLOST <k>           the next RD_ALM or RD_MEM chain loses its k-th reply\n"
    "  FAULT CHAINERROR <k> <hex4>   ... its k-th reply is an error reply, ending the chain\n"
    "  FAULT STORM <percent> [<seed>] each reply, with that chance, gets one fault drawn from:\n"
    "                                no reply, header, prefix, split, truncated (1 byte up to\n"
    "                                all but CR), a corrupted character (\"?\" in the error\n"
    "                                code or fields) or an error code 0001/0002/0004; the same\n"
    "                                seed (default 1) and requests give the same faults\n"
    "  GET STORM                     requests received, the storm's replies and faults by kind\n"
    "                                (kept after FAULT NONE until the next storm)\n"
    "  REJECT <hex4>                 the parameter is refused with error 0001\n"
    "The module refuses, with an error reply: an unreadable field or lower-case hex digit\n"
    "(0002), a parameter value outside its definition's limits or size (0003), a number or\n"
    "position out of range or more than 15 POS_MS pairs (0004), a POS_MS continuation with no\n"
    "first part (0005), and a motion while the servo is off (0010), an alarm is active (0011)\n"
    "or the emergency stop is on (0012). STOP__ is always accepted; DEC_ reports STOP___ while\n"
    "decelerating. SET_PT without a position takes the current command position.\n"
    "It does not answer: bytes before STX, a request longer than 256 bytes, an unknown command.\n"
    "Motion status word: bit 0 block end, bit 1 moving, bit 2 servo on.\n";

void clearFaults(Sim& sim) {
  sim.faults = LineFaults{};
  sim.protocol.forcedErrors.clear();
  sim.protocol.faults = ReplyFaults{};
  sim.storm.percent = 0;
}

namespace {

const std::string kOk = "OK\n";

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

std::string upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool hexArg(const std::string& text, int maxDigits, uint32_t* value) {
  if (text.empty() || text.size() > static_cast<size_t>(maxDigits)) return false;
  return parseHexText(text, 0, static_cast<int>(text.size()), value);
}

bool flagArg(const std::string& text, uint8_t* out) {
  if (text != "0" && text != "1") return false;
  *out = text == "1";
  return true;
}

// A point number argument, 0 when it is not 1 to 50.
int pointArg(const std::string& text) {
  int n = std::atoi(text.c_str());
  return n >= 1 && n <= 50 ? n : 0;
}

// One command line split into words; `item` is the second word in upper case.
struct ControlCall {
  Sim& sim;
  const std::string& line;
  const std::vector<std::string>& w;
  std::string item;
  int64_t nowMs;
};

// Faults set by a count alone: FAULT <name> <n>.
struct CountedFault {
  const char* name;
  int& (*counter)(Sim&);
};
const CountedFault kCountedFaults[] = {
    {"HEADER", [](Sim& s) -> int& { return s.faults.header; }},
    {"PREFIX", [](Sim& s) -> int& { return s.faults.prefix; }},
    {"SPLIT", [](Sim& s) -> int& { return s.faults.split; }},
    {"ECHO", [](Sim& s) -> int& { return s.protocol.faults.wrongEcho; }},
    {"KEYWORD", [](Sim& s) -> int& { return s.protocol.faults.unknownKeyword; }},
    {"NOSEMI", [](Sim& s) -> int& { return s.protocol.faults.noSemicolon; }},
};

// Whole decimal digits only, at most `maxValue`; false otherwise.
bool decimalArg(const std::string& text, uint64_t maxValue, uint64_t* value) {
  if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  if (errno == ERANGE || v > maxValue) return false;
  *value = v;
  return true;
}

// FAULT STORM <percent> [<seed>]: a new storm with fresh counts.
std::string startStorm(ControlCall& k) {
  uint64_t percent = 0, seed = 1;
  if (!decimalArg(k.w[2], 100, &percent) || (k.w.size() == 4 && !decimalArg(k.w[3], UINT64_MAX, &seed)))
    return "ERR storm percent 0-100, seed a decimal number\n";
  k.sim.storm = FaultStorm{};
  k.sim.storm.percent = static_cast<int>(percent);
  k.sim.storm.seed = k.sim.storm.state = seed;
  return kOk;
}

std::string controlFault(ControlCall& k) {
  const std::vector<std::string>& w = k.w;
  const std::string& a1 = k.item;
  LineFaults& f = k.sim.faults;
  ReplyFaults& r = k.sim.protocol.faults;
  uint32_t v = 0;
  if (a1 == "NONE") {
    clearFaults(k.sim);
    return kOk;
  }
  if (a1 == "SILENT") {
    f.silent = true;
    return kOk;
  }
  int n = w.size() > 2 ? std::atoi(w[2].c_str()) : 0;
  if (n > 0)
    for (const CountedFault& c : kCountedFaults)
      if (a1 == c.name) {
        c.counter(k.sim) = n;
        return kOk;
      }
  if (a1 == "NOREPLY" && n > 0 && (w.size() == 3 || (w.size() == 4 && w[3].size() == 6))) {
    f.noReply = n;
    f.noReplyCommand = w.size() == 4 ? upper(w[3]) : "";
    return kOk;
  }
  if (a1 == "TRUNCATE" && n > 0 && w.size() == 4) {
    f.truncate = n;
    f.truncateBytes = static_cast<size_t>(std::atoi(w[3].c_str()));
    return kOk;
  }
  if (a1 == "MEMCOUNT" && n > 0 && w.size() == 4 && std::atoi(w[3].c_str()) != 0) {
    r.memoryCount = n;
    r.memoryDelta = std::atoi(w[3].c_str());
    return kOk;
  }
  if (a1 == "CHAINLOST" && n > 0 && w.size() == 3) {
    r.chainLost = n;
    return kOk;
  }
  if (a1 == "CHAINERROR" && n > 0 && w.size() == 4 && hexArg(w[3], 4, &v) && v != 0) {
    r.chainError = n;
    r.chainErrorCode = static_cast<uint16_t>(v);
    return kOk;
  }
  if (a1 == "STORM" && (w.size() == 3 || w.size() == 4)) return startStorm(k);
  if (a1 == "ERROR" && w.size() == 4 && w[2].size() == 6 && hexArg(w[3], 4, &v)) {
    k.sim.protocol.forcedErrors[upper(w[2])] = static_cast<uint16_t>(v);
    return kOk;
  }
  return "ERR bad FAULT arguments\n";
}

std::string controlGet(ControlCall& k) {
  const std::vector<std::string>& w = k.w;
  const std::string& a1 = k.item;
  SimModel& m = k.sim.model;
  uint32_t v = 0;
  if (a1 == "STATUS")
    return "ready=" + std::to_string(m.ready) + " servo=" + std::to_string(m.servo) +
           " main=" + std::to_string(m.mainCircuit) + " alarm=" + std::to_string(m.alarm) + "\n" + kOk;
  if (a1 == "MOTION")
    return std::string("state=") + motionStateWord(m.motionState) + " pos=" + std::to_string(m.position) +
           "\n" + kOk;
  if (a1 == "STORM") {
    const FaultStorm& s = k.sim.storm;
    static const char* const kKinds[kStormFaultKinds] = {"noreply", "header", "prefix", "split",
                                                         "truncate", "corrupt", "error"};
    std::string out = "requests=" + std::to_string(k.sim.requests) + " percent=" + std::to_string(s.percent) +
                      " seed=" + std::to_string(s.seed) + " replies=" + std::to_string(s.replies);
    uint32_t total = 0;
    for (int i = 0; i < kStormFaultKinds; ++i) {
      out += std::string(" ") + kKinds[i] + "=" + std::to_string(s.counts[i]);
      total += s.counts[i];
    }
    return out + " faults=" + std::to_string(total) + "\n" + kOk;
  }
  if (a1 == "OUTPUTS") {
    uint16_t out[3];
    currentOutputs(m, out);
    return hexText(out[0], 4) + " " + hexText(out[1], 4) + " " + hexText(out[2], 4) + "\n" + kOk;
  }
  if (a1 == "PARAM" && w.size() == 3 && hexArg(w[2], 4, &v)) {
    SimParameter* p = findSimParameter(m, static_cast<uint16_t>(v));
    if (!p) return "ERR no such parameter\n";
    return hexText(p->value, 8) + "\n" + kOk;
  }
  if (a1 == "POINT" && w.size() == 3) {
    int n = pointArg(w[2]);
    if (!n) return "ERR point number 1-50\n";
    return hexText(m.pointSpeed[n - 1], 8) + " " + hexText(m.pointPosition[n - 1], 8) + "\n" + kOk;
  }
  if (a1 == "MEM" && w.size() == 4 && hexArg(w[3], 4, &v)) {
    int unit = upper(w[2]) == "SV" ? 1 : 0;
    return hexText(m.memory[unit][v], 2) + "\n" + kOk;
  }
  return "ERR bad GET arguments\n";
}

// SET ALARMS QZ|SV [<stamp> <word>]...: the whole list; QZ's alarm flag follows it.
std::string setAlarms(ControlCall& k) {
  const std::vector<std::string>& w = k.w;
  std::string unit = upper(w[2]);
  if (unit != "QZ" && unit != "SV") return "ERR unit QZ or SV\n";
  std::vector<SimAlarm> list;
  for (size_t i = 3; i + 1 < w.size(); i += 2) {
    uint32_t stamp = 0, word = 0;
    if (!hexArg(w[i], 8, &stamp) || !hexArg(w[i + 1], 8, &word)) return "ERR bad alarm entry\n";
    list.push_back({stamp, word});
  }
  k.sim.model.alarms[unit == "SV" ? 1 : 0] = list;
  if (unit == "QZ") k.sim.model.alarm = list.empty() ? 0 : 1;
  return kOk;
}

// SET ID <0-5> <text>: the text is the rest of the line after the item number.
std::string setId(ControlCall& k) {
  const std::vector<std::string>& w = k.w;
  int item = std::atoi(w[2].c_str());
  if (item < 0 || item > 5 || w[2].size() != 1) return "ERR item 0-5\n";
  size_t at = k.line.find(w[2], k.line.find(w[1]) + w[1].size()) + w[2].size();
  while (at < k.line.size() && k.line[at] == ' ') ++at;
  k.sim.model.idTexts[item] = k.line.substr(at);
  return kOk;
}

std::string controlSet(ControlCall& k) {
  const std::vector<std::string>& w = k.w;
  const std::string& a1 = k.item;
  SimModel& m = k.sim.model;
  uint32_t v = 0, v2 = 0, v3 = 0;
  uint8_t flag = 0;
  if (w.size() == 3 && (a1 == "READY" || a1 == "SERVO" || a1 == "MAIN" || a1 == "ALARM") &&
      flagArg(w[2], &flag)) {
    (a1 == "READY" ? m.ready : a1 == "SERVO" ? m.servo : a1 == "MAIN" ? m.mainCircuit : m.alarm) = flag;
    // Servo off or an alarm halts the axis, as on the module.
    if ((a1 == "SERVO" && !flag) || (a1 == "ALARM" && flag)) stopMotion(m, k.nowMs);
    return kOk;
  }
  if (a1 == "EMSTOP" && w.size() == 3 && flagArg(w[2], &flag)) {
    setEmergency(m, k.nowMs, flag != 0);
    return kOk;
  }
  if (a1 == "SETTLE" && w.size() == 3) {
    int ms = std::atoi(w[2].c_str());
    if (ms < 0 || ms > 60000 || w[2].find_first_not_of("0123456789") != std::string::npos)
      return "ERR settle time 0-60000 ms\n";
    m.settleMs = ms;
    return kOk;
  }
  if (a1 == "PARAM" && w.size() == 4 && hexArg(w[2], 4, &v) && hexArg(w[3], 8, &v2)) {
    SimParameter* p = findSimParameter(m, static_cast<uint16_t>(v));
    if (!p) return "ERR no such parameter\n";
    p->value = v2;
    return kOk;
  }
  if (a1 == "POINT" && w.size() == 5 && hexArg(w[3], 8, &v2) && hexArg(w[4], 8, &v3)) {
    int n = pointArg(w[2]);
    if (!n) return "ERR point number 1-50\n";
    m.pointSpeed[n - 1] = v2;
    m.pointPosition[n - 1] = v3;
    return kOk;
  }
  if (a1 == "INPUTS" && w.size() == 5) {
    uint32_t in[3];
    for (int i = 0; i < 3; ++i)
      if (!hexArg(w[2 + static_cast<size_t>(i)], 4, &in[i])) return "ERR bad input word\n";
    for (int i = 0; i < 3; ++i) m.inputs[i] = static_cast<uint16_t>(in[i]);
    return kOk;
  }
  if (a1 == "ALARMS" && w.size() >= 3 && w.size() % 2 == 1) return setAlarms(k);
  if (a1 == "ID" && w.size() >= 3) return setId(k);
  return "ERR bad SET arguments\n";
}

std::string controlPing(ControlCall&) { return kOk; }
std::string controlHelp(ControlCall&) { return kSimHelp + kOk; }

std::string controlReset(ControlCall& k) {
  resetModel(k.sim.model);
  clearFaults(k.sim);
  k.sim.protocol.splitPending = false;
  return kOk;
}

std::string controlPace(ControlCall& k) {
  if (k.item != "ON" && k.item != "OFF") return "";
  k.sim.pace = k.item == "ON";
  return kOk;
}

std::string controlLog(ControlCall& k) {
  if (k.item == "CLEAR") {
    k.sim.log.clear();
    return kOk;
  }
  std::string out;
  for (auto& l : k.sim.log) out += l + "\n";
  return out + kOk;
}

std::string controlReject(ControlCall& k) {
  uint32_t v = 0;
  if (k.w.size() != 2 || !hexArg(k.w[1], 4, &v)) return "";
  k.sim.model.rejected.push_back(static_cast<uint16_t>(v));
  return kOk;
}

// A verb's answer; empty when the arguments do not make a command of it.
struct ControlVerb {
  const char* verb;
  std::string (*run)(ControlCall& call);
};
const ControlVerb kControlVerbs[] = {
    {"PING", controlPing},   {"HELP", controlHelp},     {"RESET", controlReset},
    {"PACE", controlPace},   {"LOG", controlLog},       {"REJECT", controlReject},
    {"FAULT", controlFault}, {"GET", controlGet},       {"SET", controlSet}};

}  // namespace

std::string runControl(Sim& sim, const std::string& line, int64_t nowMs) {
  std::vector<std::string> w = words(line);
  if (w.empty()) return "ERR empty command\n";
  std::string verb = upper(w[0]);
  ControlCall call{sim, line, w, w.size() > 1 ? upper(w[1]) : "", nowMs};
  updateMotion(sim.model, nowMs);
  for (const ControlVerb& v : kControlVerbs) {
    if (verb != v.verb) continue;
    std::string answer = v.run(call);
    if (!answer.empty()) return answer;
    break;
  }
  return "ERR unknown command\n";
}
