// The simulator's 28 command handlers: each reads its request's fields and answers from the model.
#include "sim/sim_commands.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "protocol/request_record.h"

namespace {

using Keywords = std::initializer_list<std::pair<int, const char*>>;
const Keywords kOnOff = {{1, "ON_"}, {0, "OFF"}};
const Keywords kUnit = {{0, "QZ"}, {1, "SV"}};
const Keywords kMove = {{1, "ABS_"}, {2, "INC_"}};
const Keywords kAccel = {{0, "PARM"}, {1, "NONE"}, {2, "LACC"}, {3, "TWOS"}, {4, "IDEA"}};
const Keywords kFilter = {{0, "PARM"}, {1, "NONE"}, {2, "EXP_"}, {3, "BIAS"}, {4, "MAVE"}};
const Keywords kSpeed = {{0, "PARM"}, {1, "CURT"}, {4, "SET_"}};
constexpr int kMoveAbsolute = 1;
constexpr int kMoveRelative = 2;
constexpr uint32_t kPointCount = 50;

// "T:" move (optional), "A:" accel filter, "V:" speed [value] (optional).
struct Head {
  int move = kMoveAbsolute;
  uint32_t speed = 0;   // 0: the parameter's speed
};
Head readHead(Cursor& c, bool withMove, bool withSpeed, const SimModel& model) {
  Head h;
  if (withMove) {
    c.tag("T:");
    h.move = c.keyword(kMove);
  }
  c.tag("A:");
  c.keyword(kAccel);
  c.keyword(kFilter);
  if (withSpeed) {
    c.tag("V:");
    int source = c.keyword(kSpeed);
    if (source == 4) h.speed = c.hex(8);
    if (source == 1) h.speed = model.speed;
  }
  return h;
}

// The absolute target of a move; false when a relative move would leave the
// 32-bit position range (refused rather than wrapped).
bool targetOf(const SimModel& model, int move, int64_t value, int32_t* target) {
  int64_t t = move == kMoveRelative ? model.position + value : value;
  if (t < INT32_MIN || t > INT32_MAX) return false;
  *target = static_cast<int32_t>(t);
  return true;
}

int64_t signedValue(uint32_t value) { return static_cast<int32_t>(value); }

// Why the module refuses to start a motion now, 0 when it may.
uint16_t motionRefusal(const SimModel& m) {
  if (m.emergency) return kSimErrEmergency;
  if (m.alarm) return kSimErrAlarm;
  if (!m.servo) return kSimErrServoOff;
  return 0;
}

// Whether a motion request read whole and the module may move now (else the refusal is the error).
bool mayMove(SimRequest& q, SimAnswer& a) {
  if (!q.c.end()) return false;
  a.error = motionRefusal(q.model);
  return a.error == kSimErrNone;
}

// Starts a move to `value` (absolute, or relative to the position), refused when out of range.
void moveTo(SimRequest& q, SimAnswer& a, MotionState state, int move, int64_t value, uint32_t speed) {
  int32_t target = 0;
  if (!targetOf(q.model, move, value, &target)) a.error = kSimErrRange;
  else startMove(q.model, q.nowMs, state, target, speed);
}

// Change pairs after "X:": whole pairs of two hex8 up to the end of the body.
// Returns the count, -1 when the text is not a whole, non-zero number of pairs.
int readPairs(Cursor& c) {
  size_t left = c.text.size() - c.at;
  if (!c.ok || left == 0 || left % 16 != 0) {
    c.ok = false;
    return -1;
  }
  int pairs = 0;
  while (c.ok && c.at < c.text.size()) {
    c.hex(8);
    c.hex(8);
    ++pairs;
  }
  return c.ok ? pairs : -1;
}

std::string alarmItems(const std::vector<SimAlarm>& list, size_t from, size_t to) {
  std::string items;
  for (size_t i = from; i < list.size() && i < to; ++i)
    items += hexText(list[i].timeStamp, 8) + hexText(list[i].alarmWord, 8);
  return items;
}

std::vector<std::string> chainAlarms(const std::string& name, const std::vector<SimAlarm>& list) {
  constexpr size_t kPerReply = 14;   // (256 - 22 - 1) / 16
  if (list.size() <= kPerReply) return {simReply(name, kSimErrNone, "D:" + alarmItems(list, 0, kPerReply))};
  std::vector<std::string> out;
  size_t replies = (list.size() + kPerReply - 1) / kPerReply;
  for (size_t r = 0; r < replies; ++r) {
    std::string items = alarmItems(list, r * kPerReply, (r + 1) * kPerReply);
    size_t more = replies - r - 1;
    std::string marker = "P:" + hexText(static_cast<uint32_t>(more), 4);
    out.push_back(simReply(name, kSimErrNone, marker + "D:" + items));
  }
  return out;
}

std::string onOff(uint8_t on) { return on ? "ON_" : "OFF"; }

// BKCTRL and SVCTRL: "M:" ON_ or OFF into one switch; servo off halts the axis.
void switchOutput(SimRequest& q, uint8_t* value) {
  q.c.tag("M:");
  int on = q.c.keyword(kOnOff);
  if (!q.c.end()) return;
  *value = static_cast<uint8_t>(on);
  if (!q.model.servo) stopMotion(q.model, q.nowMs);
}

// SETDIS and WRPORT: three hex4 words after `tag`.
void writeWords(SimRequest& q, const char* tag, uint16_t* out) {
  q.c.tag(tag);
  uint16_t words[3];
  for (auto& w : words) w = static_cast<uint16_t>(q.c.hex(4));
  if (q.c.end()) std::memcpy(out, words, sizeof words);
}

// RD_MEM and WR_MEM: "T:" unit, "A:" address, "N:" count.
struct MemoryRange {
  int unit;
  uint32_t address;
  uint32_t count;
  bool fits() const { return address <= 0xFFFF && address + count <= 0x10000; }
};
MemoryRange readRange(Cursor& c) {
  MemoryRange r{};
  c.tag("T:");
  r.unit = c.keyword(kUnit);
  c.tag("A:");
  r.address = c.hex(8);
  c.tag("N:");
  r.count = c.hex(4);
  return r;
}

// RDPARM and WRPARM: "M:" bank, then `tag` and the number.
uint16_t readParameterNumber(Cursor& c, const char* tag) {
  c.tag("M:");
  c.keyword({{0, "NORM"}});
  c.tag(tag);
  return static_cast<uint16_t>(c.hex(4));
}

void answer_BKCTRL(SimRequest& q, SimAnswer&) { switchOutput(q, &q.model.brake); }
void answer_SVCTRL(SimRequest& q, SimAnswer&) { switchOutput(q, &q.model.servo); }

void answer_CLRALM(SimRequest& q, SimAnswer&) {
  q.c.tag("M:");
  int kind = q.c.keyword({{1, "CURT"}, {2, "HIST"}});
  q.c.tag("K:");
  int unit = q.c.keyword(kUnit);
  if (!q.c.end() || kind < 1) return;
  q.model.alarms[unit].clear();
  if (unit == 0) q.model.alarm = 0;
}

void answer_RD_ALM(SimRequest& q, SimAnswer& a) {
  q.c.tag("M:");
  int unit = q.c.keyword(kUnit);
  if (q.c.end()) a.chain = chainAlarms(q.name, q.model.alarms[unit]);
}

void answer_RD_MON(SimRequest& q, SimAnswer& a) {
  if (!q.c.end()) return;
  const SimModel& m = q.model;
  uint32_t pos = static_cast<uint32_t>(m.position);
  uint32_t deviation = m.moving ? 12u : 0u;
  a.fields = "CP" + hexText(pos, 8) + "FP" + hexText(pos - deviation, 8) + "PD" + hexText(deviation, 8) +
             "LP" + hexText(static_cast<uint32_t>(m.startPosition), 8) + "TQ" +
             hexText(m.moving ? 35u : 0u, 8) + "M1" + hexText(m.monitor1, 8) + hexText(m.monitor2, 8);
}

void answer_RDMSTS(SimRequest& q, SimAnswer& a) {
  if (q.c.end())
    a.fields = std::string("M:") + motionStateWord(q.model.motionState) + "S:" +
               hexText(motionStatusWord(q.model), 4);
}

void answer_RDSSTS(SimRequest& q, SimAnswer& a) {
  const SimModel& m = q.model;
  if (q.c.end())
    a.fields = "S:" + hexText(m.statusValue, 4) + "R:" + onOff(m.ready) + "V:" + onOff(m.servo) + "M:" +
               onOff(m.mainCircuit) + "A:" + onOff(m.alarm);
}

void answer_RDPORT(SimRequest& q, SimAnswer& a) {
  q.c.tag("M:");
  int which = q.c.keyword({{0, "INP"}, {1, "OUT"}});
  if (!q.c.end()) return;
  uint16_t words[3];
  if (which == 0) std::memcpy(words, q.model.inputs, sizeof words);
  else currentOutputs(q.model, words);
  a.fields = std::string(which == 0 ? "X:" : "Y:") + hexText(words[0], 4) + hexText(words[1], 4) +
             hexText(words[2], 4);
}

void answer_SETDIS(SimRequest& q, SimAnswer&) { writeWords(q, "D:", q.model.outputMask); }
void answer_WRPORT(SimRequest& q, SimAnswer&) { writeWords(q, "Y:", q.model.outputBits); }

void answer_FEED__(SimRequest& q, SimAnswer& a) {
  Head h = readHead(q.c, false, true, q.model);
  q.c.tag("D:");
  int dir = q.c.keyword({{0, "CW_"}, {1, "CCW"}});
  if (mayMove(q, a)) startFeed(q.model, q.nowMs, dir == 1 ? -1 : 1, h.speed);
}

void answer_STEP__(SimRequest& q, SimAnswer& a) {
  Head h = readHead(q.c, true, true, q.model);
  q.c.tag("P:");
  int dir = q.c.keyword({{0, "+"}, {1, "-"}});
  int source = q.c.keyword({{0, "SEL1"}, {1, "SEL2"}, {2, "SEL3"}, {3, "SEL4"}, {4, "SET_"}});
  uint32_t amount = source == 4 ? q.c.hex(8) : 1000u * static_cast<uint32_t>(source + 1);
  if (!mayMove(q, a)) return;
  int64_t delta = dir == 1 ? -static_cast<int64_t>(amount) : static_cast<int64_t>(amount);
  moveTo(q, a, MotionState::Posing, kMoveRelative, delta, h.speed);
}

void answer_POSING(SimRequest& q, SimAnswer& a) {
  Head h = readHead(q.c, true, true, q.model);
  q.c.tag("P:");
  int64_t target = signedValue(q.c.hex(8));
  if (mayMove(q, a)) moveTo(q, a, MotionState::Posing, h.move, target, h.speed);
}

void answer_HOMING(SimRequest& q, SimAnswer& a) {
  Head h = readHead(q.c, true, true, q.model);
  if (mayMove(q, a)) moveTo(q, a, MotionState::Homing, kMoveAbsolute, 0, h.speed);
}

void answer_GOTOST(SimRequest& q, SimAnswer& a) {
  Head h = readHead(q.c, true, true, q.model);
  q.c.tag("P:");
  // A station number is a count of 1000-unit stations, never relative.
  int64_t target = static_cast<int64_t>(q.c.hex(8)) * 1000;
  q.c.tag("D:");
  q.c.keyword({{0, "CW_"}, {1, "CCW"}, {2, "NR_"}});
  if (mayMove(q, a)) moveTo(q, a, MotionState::GoToStation, kMoveAbsolute, target, h.speed);
}

void answer_POS_EX(SimRequest& q, SimAnswer& a) {
  Head h = readHead(q.c, true, true, q.model);
  Cursor& c = q.c;
  c.tag("P:");
  int64_t target = signedValue(c.hex(8));
  c.tag("S:");
  c.keyword({{0, "PC_"}, {1, "EXT"}});
  c.tag("E:");
  if (c.keyword({{0, "PARM"}, {4, "SET_"}}) == 4) c.hex(8);
  if (c.peek("O:")) {
    c.tag("O:");
    c.hex(8);
  }
  if (mayMove(q, a)) moveTo(q, a, MotionState::PosEx, h.move, target, h.speed);
}

void answer_POS_AS(SimRequest& q, SimAnswer& a) {
  Head h = readHead(q.c, true, true, q.model);
  Cursor& c = q.c;
  c.tag("P:");
  int64_t target = signedValue(c.hex(8));
  if (c.peek("D:")) {
    c.tag("D:");
    c.keyword(kMove);
    c.tag("S:");
    for (int s = 0; s < 2; ++s) {
      c.keyword({{0, "NORM"}, {1, "REVS"}});
      c.hex(8);
      c.hex(8);
    }
  }
  if (mayMove(q, a)) moveTo(q, a, MotionState::PosAs, h.move, target, h.speed);
}

void answer_GOTOPT(SimRequest& q, SimAnswer& a) {
  Head h = readHead(q.c, true, false, q.model);
  q.c.tag("P:");
  uint32_t point = q.c.hex(4);
  if (!mayMove(q, a)) return;
  if (point < 1 || point > kPointCount) {
    a.error = kSimErrRange;
    return;
  }
  moveTo(q, a, MotionState::GoToPoint, h.move, signedValue(q.model.pointPosition[point - 1]),
         q.model.pointSpeed[point - 1]);
}

// Second message of a split POS_MS: the remaining change pairs.
void continuePosMs(SimRequest& q, SimAnswer& a) {
  SimProtocol& p = q.protocol;
  bool hadFirstPart = p.splitPending;
  q.c.tag("B:0000X:");
  int pairs = readPairs(q.c);
  p.splitPending = false;
  if (!q.c.end()) return;
  if (!hadFirstPart) a.error = kSimErrSequence;
  else if (p.splitPairs + pairs > kMaxChangePairs) a.error = kSimErrRange;
  else if (mayMove(q, a))
    startMove(q.model, q.nowMs, MotionState::PosMs, q.model.targetPosition, q.model.speed);
}

void answer_POS_MS(SimRequest& q, SimAnswer& a) {
  Cursor& c = q.c;
  if (c.peek("B:0000X:")) return continuePosMs(q, a);
  bool first = c.peek("B:0001");
  c.tag(first ? "B:0001" : "B:0000");
  Head h = readHead(c, true, true, q.model);
  c.tag("P:");
  int64_t value = signedValue(c.hex(8));
  c.tag("D:");
  c.keyword(kMove);
  int pairs = 0;
  if (c.peek("X:")) {
    c.tag("X:");
    pairs = readPairs(c);
  }
  int32_t target = 0;
  bool inRange = targetOf(q.model, h.move, value, &target);
  if (first) {
    // Remember the move; the module answers only the second message, and a
    // first part it cannot use leaves nothing for the second to continue.
    SimProtocol& p = q.protocol;
    p.splitPending = c.end() && pairs > 0 && inRange;
    p.splitPairs = pairs;
    if (p.splitPending) {
      q.model.targetPosition = target;
      q.model.speed = h.speed ? h.speed : 10000;
    }
    a.silent = true;
    return;
  }
  if (!c.end()) return;
  if (pairs > kMaxChangePairs || !inRange) a.error = kSimErrRange;
  else if (mayMove(q, a)) startMove(q.model, q.nowMs, MotionState::PosMs, target, h.speed);
}

void answer_STOP__(SimRequest& q, SimAnswer&) {
  q.c.tag("M:");
  int mode = q.c.keyword({{0, "DEC_"}, {1, "ZERO"}});
  // A stop is always accepted, whatever the servo, alarm or emergency state.
  if (!q.c.end()) return;
  if (mode == 0) decelerateMotion(q.model, q.nowMs);
  else stopMotion(q.model, q.nowMs);
}

void answer_RDPARM(SimRequest& q, SimAnswer& a) {
  uint16_t number = readParameterNumber(q.c, "S:Pn");
  if (!q.c.end()) return;
  SimParameter* prm = findSimParameter(q.model, number);
  if (!prm || parameterRejected(q.model, number)) a.error = kSimErrUndefined;
  a.fields = "S:Pn" + hexText(number, 4) + hexText(prm && !a.error ? prm->value : 0, 8);
}

void answer_WRPARM(SimRequest& q, SimAnswer& a) {
  uint16_t number = readParameterNumber(q.c, "D:Pn");
  uint32_t value = q.c.hex(8);
  if (!q.c.end()) return;
  SimParameter* prm = findSimParameter(q.model, number);
  if (!prm || parameterRejected(q.model, number)) a.error = kSimErrUndefined;
  else if (!parameterValueAllowed(*prm, value)) a.error = kSimErrLimit;
  else prm->value = value;
}

void answer_GET_PT(SimRequest& q, SimAnswer& a) {
  q.c.tag("N:");
  uint32_t point = q.c.hex(4);
  if (!q.c.end()) return;
  a.fields = "N:" + hexText(point, 4);
  if (point < 1 || point > kPointCount) a.error = kSimErrRange;
  else
    a.fields += "V:" + hexText(q.model.pointSpeed[point - 1], 8) + "P:" +
                hexText(q.model.pointPosition[point - 1], 8);
}

void answer_SET_PT(SimRequest& q, SimAnswer& a) {
  Cursor& c = q.c;
  c.tag("N:");
  uint32_t point = c.hex(4);
  c.tag("V:");
  uint32_t speed = c.hex(8);
  bool withPosition = c.peek("P:");
  uint32_t position = 0;
  if (withPosition) {
    c.tag("P:");
    position = c.hex(8);
  }
  if (!c.end()) return;
  if (point < 1 || point > kPointCount) {
    a.error = kSimErrRange;
    return;
  }
  // Without a position the point takes the current command position (teaching).
  q.model.pointSpeed[point - 1] = speed;
  q.model.pointPosition[point - 1] = withPosition ? position : static_cast<uint32_t>(q.model.position);
}

void answer_RD_MEM(SimRequest& q, SimAnswer& a) {
  MemoryRange r = readRange(q.c);
  if (!q.c.end()) return;
  if (!r.fits()) {
    a.error = kSimErrRange;
    return;
  }
  a.memory = &q.model.memory[r.unit];
  a.address = r.address;
  a.count = r.count;
  a.chain = chainMemory(q.name, *a.memory, r.address, r.count);
}

void answer_WR_MEM(SimRequest& q, SimAnswer& a) {
  MemoryRange r = readRange(q.c);
  q.c.tag("D:");
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; i < r.count && q.c.ok; ++i) bytes.push_back(static_cast<uint8_t>(q.c.hex(2)));
  if (!q.c.end()) return;
  if (!r.fits()) a.error = kSimErrRange;
  else std::copy(bytes.begin(), bytes.end(), q.model.memory[r.unit].begin() + r.address);
}

void answer_RDDVID(SimRequest& q, SimAnswer& a) {
  q.c.tag("M:");
  int item =
      q.c.keyword({{0, "QZ_TYP"}, {1, "QZ_VER"}, {2, "SV_TYP"}, {3, "SV_VER"}, {4, "EN_VER"}, {5, "MT_TYP"}});
  if (q.c.end()) a.fields = "M:" + q.model.idTexts[item].substr(0, 32) + ";";
}

void answer_RSTMDL(SimRequest& q, SimAnswer&) {
  if (!q.c.end()) return;
  stopMotion(q.model, q.nowMs);
  q.model.servo = 0;
  q.model.alarms[0].clear();
  q.model.alarm = 0;
}

struct CommandHandler {
  const char* name;
  SimHandler handler;
};
const CommandHandler kCommandHandlers[] = {
    {"BKCTRL", answer_BKCTRL}, {"CLRALM", answer_CLRALM}, {"FEED__", answer_FEED__},
    {"GET_PT", answer_GET_PT}, {"GOTOPT", answer_GOTOPT}, {"GOTOST", answer_GOTOST},
    {"HOMING", answer_HOMING}, {"POS_AS", answer_POS_AS}, {"POS_EX", answer_POS_EX},
    {"POS_MS", answer_POS_MS}, {"POSING", answer_POSING}, {"RD_ALM", answer_RD_ALM},
    {"RD_MEM", answer_RD_MEM}, {"RD_MON", answer_RD_MON}, {"RDDVID", answer_RDDVID},
    {"RDMSTS", answer_RDMSTS}, {"RDPARM", answer_RDPARM}, {"RDPORT", answer_RDPORT},
    {"RDSSTS", answer_RDSSTS}, {"RSTMDL", answer_RSTMDL}, {"SET_PT", answer_SET_PT},
    {"SETDIS", answer_SETDIS}, {"STEP__", answer_STEP__}, {"STOP__", answer_STOP__},
    {"SVCTRL", answer_SVCTRL}, {"WR_MEM", answer_WR_MEM}, {"WRPARM", answer_WRPARM},
    {"WRPORT", answer_WRPORT}};

}  // namespace

SimHandler findCommandHandler(const std::string& name) {
  for (const CommandHandler& h : kCommandHandlers)
    if (name == h.name) return h.handler;
  return nullptr;
}

std::string simReply(const std::string& name, uint16_t error, const std::string& fields) {
  return "\x02" + name + "10R" + hexText(error, 4) + fields + "\r";
}

std::vector<std::string> chainMemory(const std::string& name, const std::vector<uint8_t>& memory,
                                     uint32_t address, uint32_t count) {
  constexpr uint32_t kPerReply = 116;
  std::vector<std::string> out;
  uint32_t replies = count == 0 ? 1 : (count + kPerReply - 1) / kPerReply;
  for (uint32_t r = 0; r < replies; ++r) {
    std::string items;
    for (uint32_t i = r * kPerReply; i < count && i < (r + 1) * kPerReply; ++i)
      items += hexText(memory[(address + i) & 0xFFFFu], 2);
    uint32_t more = replies - r - 1;
    if (more) out.push_back(simReply(name, kSimErrNone, "P:" + hexText(more, 4) + "D:" + items));
    else out.push_back(simReply(name, kSimErrNone, "D:" + items));
  }
  return out;
}
