// Request parsing and reply building of the simulated module.
#include "sim/sim_protocol.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint16_t kErrNone = 0x0000;
constexpr uint16_t kErrUndefined = kSimErrUndefined;
constexpr uint16_t kErrArgument = kSimErrArgument;
constexpr uint16_t kErrRange = kSimErrRange;

// Reads fields from a request body one after another.
struct Cursor {
  const std::string& text;
  size_t at;
  bool ok = true;

  bool tag(const char* t) {
    size_t n = std::strlen(t);
    if (!ok || text.compare(at, n, t) != 0) return ok = false;
    at += n;
    return true;
  }
  bool peek(const char* t) const { return ok && text.compare(at, std::strlen(t), t) == 0; }
  // Index of the first keyword that matches, -1 (and not ok) when none does.
  int keyword(std::initializer_list<std::pair<int, const char*>> table) {
    if (!ok) return -1;
    for (auto& [code, word] : table) {
      size_t n = std::strlen(word);
      if (text.compare(at, n, word) == 0) {
        at += n;
        return code;
      }
    }
    ok = false;
    return -1;
  }
  uint32_t hex(int digits) {
    uint32_t v = 0;
    if (!ok || !parseRequestHex(text, at, digits, &v)) {
      ok = false;
      return 0;
    }
    at += static_cast<size_t>(digits);
    return v;
  }
  bool end() const { return ok && at == text.size(); }
};

const std::initializer_list<std::pair<int, const char*>> kOnOff = {{1, "ON_"}, {0, "OFF"}};
const std::initializer_list<std::pair<int, const char*>> kUnit = {{0, "QZ"}, {1, "SV"}};
const std::initializer_list<std::pair<int, const char*>> kMove = {{1, "ABS_"}, {2, "INC_"}};
const std::initializer_list<std::pair<int, const char*>> kAccel = {
    {0, "PARM"}, {1, "NONE"}, {2, "LACC"}, {3, "TWOS"}, {4, "IDEA"}};
const std::initializer_list<std::pair<int, const char*>> kFilter = {
    {0, "PARM"}, {1, "NONE"}, {2, "EXP_"}, {3, "BIAS"}, {4, "MAVE"}};
const std::initializer_list<std::pair<int, const char*>> kSpeed = {{0, "PARM"}, {1, "CURT"}, {4, "SET_"}};
const char* const kStateWords[12] = {"NEUTRAL", "POSING_", "POS_EX_", "POS_MS_", "POS_AS_", "FEED___",
                               "GOTOST_", "GOTOPT_", "HOMING_", "STOP___", "EM_STOP", "FEED_EX"};

std::string reply(const std::string& name, uint16_t error, const std::string& fields) {
  return "\x02" + name + "10R" + hexText(error, 4) + fields + "\r";
}

// "T:" move (optional), "A:" accel filter, "V:" speed [value] (optional).
struct Head {
  int move = 1;
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
  int64_t t = move == 2 ? model.position + value : value;
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

std::vector<std::string> chainAlarms(const std::string& name, const std::vector<SimAlarm>& list) {
  constexpr size_t kPerReply = 14;   // (256 - 22 - 1) / 16
  std::vector<std::string> out;
  if (list.size() <= kPerReply) {
    std::string f = "D:";
    for (auto& a : list) f += hexText(a.timeStamp, 8) + hexText(a.alarmWord, 8);
    out.push_back(reply(name, kErrNone, f));
    return out;
  }
  size_t replies = (list.size() + kPerReply - 1) / kPerReply;
  for (size_t r = 0; r < replies; ++r) {
    std::string items;
    for (size_t i = r * kPerReply; i < list.size() && i < (r + 1) * kPerReply; ++i)
      items += hexText(list[i].timeStamp, 8) + hexText(list[i].alarmWord, 8);
    size_t more = replies - r - 1;
    if (more) out.push_back(reply(name, kErrNone, "P:" + hexText(static_cast<uint32_t>(more), 4) + "D:" + items));
    else if (r == 0) out.push_back(reply(name, kErrNone, "D:" + items));
    else out.push_back(reply(name, kErrNone, "P:0000D:" + items));
  }
  return out;
}

// `count` bytes from `address`; the address wraps within the 64 KiB so that a
// chain made longer by a fault still reads memory.
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
    if (more) out.push_back(reply(name, kErrNone, "P:" + hexText(more, 4) + "D:" + items));
    else out.push_back(reply(name, kErrNone, "D:" + items));
  }
  return out;
}

}  // namespace

const char* motionStateWord(uint8_t state) { return kStateWords[state % 12]; }

std::string hexText(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  std::string s(text);
  return s.substr(s.size() - static_cast<size_t>(digits));
}

bool parseHexText(const std::string& text, size_t at, int digits, uint32_t* value) {
  if (at + static_cast<size_t>(digits) > text.size()) return false;
  uint32_t v = 0;
  for (int i = 0; i < digits; ++i) {
    char c = text[at + static_cast<size_t>(i)];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return false;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  *value = v;
  return true;
}

bool parseRequestHex(const std::string& text, size_t at, int digits, uint32_t* value) {
  if (at + static_cast<size_t>(digits) > text.size()) return false;
  for (int i = 0; i < digits; ++i) {
    char ch = text[at + static_cast<size_t>(i)];
    if (!((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'))) return false;
  }
  return parseHexText(text, at, digits, value);
}

std::string printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == 0x02) out += "<STX>";
    else if (c == 0x0D) out += "<CR>";
    else if (c < 0x20 || c >= 0x7F) {
      char t[8];
      std::snprintf(t, sizeof t, "\\x%02X", c);
      out += t;
    } else out += static_cast<char>(c);
  }
  return out;
}

// A reply of a chain lost, or replaced by an error reply that ends the chain.
static void applyChainFaults(ReplyFaults& f, const std::string& name, std::vector<std::string>& chain) {
  if (f.chainError > 0) {
    size_t at = static_cast<size_t>(f.chainError);
    f.chainError = 0;
    if (at <= chain.size()) {
      chain.resize(at);
      // An empty data field ends the reply, so the tool reads no items from it
      // (its buffer still holds the previous reply of the chain behind the CR).
      chain[at - 1] = reply(name, f.chainErrorCode, "D:");
    }
  }
  if (f.chainLost > 0) {
    size_t at = static_cast<size_t>(f.chainLost);
    f.chainLost = 0;
    if (at <= chain.size()) chain.erase(chain.begin() + static_cast<std::ptrdiff_t>(at - 1));
  }
}

Frame takeFrame(SimProtocol& p, std::string& input, std::string* body, std::string* raw, const char** why) {
  size_t cr = input.find('\r');
  if (cr == std::string::npos) {
    // The receive buffer is full before any CR: drop everything up to the next CR.
    if (input.size() >= kMaxRequestBytes) {
      input.clear();
      p.discarding = true;
    }
    return Frame::None;
  }
  *raw = input.substr(0, cr + 1);
  input.erase(0, cr + 1);
  if (p.discarding || raw->size() > kMaxRequestBytes) {
    p.discarding = false;
    *why = "longer than 256 bytes";
    return Frame::Rejected;
  }
  if ((*raw)[0] != '\x02') {
    *why = "bytes before STX";
    return Frame::Rejected;
  }
  *body = raw->substr(1, raw->size() - 2);
  return Frame::Request;
}

std::vector<std::string> handleRequest(SimProtocol& p, const std::string& body, int64_t nowMs) {
  SimModel& m = *p.model;
  ReplyFaults& f = p.faults;
  if (body.size() < 9 || body.compare(6, 3, "01C") != 0) return {};
  const std::string name = body.substr(0, 6);
  Cursor c{body, 9};
  updateMotion(m, nowMs);
  uint16_t error = kErrNone;
  std::string fields;
  std::vector<std::string> chain;
  // A split POS_MS must continue with its second part and nothing else.
  bool continuation = name == "POS_MS" && c.peek("B:0000X:");
  bool hadFirstPart = p.splitPending;
  if (!continuation) p.splitPending = false;

  if (name == "BKCTRL" || name == "SVCTRL") {
    c.tag("M:");
    int on = c.keyword(kOnOff);
    if (c.end()) {
      if (name == "BKCTRL") m.brake = static_cast<uint8_t>(on);
      else m.servo = static_cast<uint8_t>(on);
      if (!m.servo) stopMotion(m, nowMs);
    }
  } else if (name == "CLRALM") {
    c.tag("M:");
    int kind = c.keyword({{1, "CURT"}, {2, "HIST"}});
    c.tag("K:");
    int unit = c.keyword(kUnit);
    if (c.end() && kind >= 1) {
      m.alarms[unit].clear();
      if (unit == 0) m.alarm = 0;
    }
  } else if (name == "RD_ALM") {
    c.tag("M:");
    int unit = c.keyword(kUnit);
    if (c.end()) chain = chainAlarms(name, m.alarms[unit]);
  } else if (name == "RD_MON") {
    if (c.end()) {
      uint32_t pos = static_cast<uint32_t>(m.position);
      uint32_t deviation = m.moving ? 12u : 0u;
      fields = "CP" + hexText(pos, 8) + "FP" + hexText(pos - deviation, 8) + "PD" +
               hexText(deviation, 8) + "LP" + hexText(static_cast<uint32_t>(m.startPosition), 8) +
               "TQ" + hexText(m.moving ? 35u : 0u, 8) + "M1" + hexText(m.monitor1, 8) +
               hexText(m.monitor2, 8);
    }
  } else if (name == "RDMSTS") {
    if (c.end()) {
      std::string word = motionStateWord(m.motionState);
      if (f.unknownKeyword > 0) {
        --f.unknownKeyword;
        word = "MOVING_";
      }
      fields = "M:" + word + "S:" + hexText(motionStatusWord(m), 4);
    }
  } else if (name == "RDSSTS") {
    auto kw = [](uint8_t on) { return std::string(on ? "ON_" : "OFF"); };
    if (c.end()) {
      std::string servo = kw(m.servo);
      if (f.unknownKeyword > 0) {
        --f.unknownKeyword;
        servo = "XX_";
      }
      fields = "S:" + hexText(m.statusValue, 4) + "R:" + kw(m.ready) + "V:" + servo + "M:" +
               kw(m.mainCircuit) + "A:" + kw(m.alarm);
    }
  } else if (name == "RDPORT") {
    c.tag("M:");
    int which = c.keyword({{0, "INP"}, {1, "OUT"}});
    if (c.end()) {
      uint16_t words[3];
      if (which == 0) std::memcpy(words, m.inputs, sizeof words);
      else currentOutputs(m, words);
      fields = std::string(which == 0 ? "X:" : "Y:") + hexText(words[0], 4) + hexText(words[1], 4) +
               hexText(words[2], 4);
    }
  } else if (name == "SETDIS" || name == "WRPORT") {
    c.tag(name == "SETDIS" ? "D:" : "Y:");
    uint16_t words[3];
    for (auto& w : words) w = static_cast<uint16_t>(c.hex(4));
    if (c.end()) std::memcpy(name == "SETDIS" ? m.outputMask : m.outputBits, words, sizeof words);
  } else if (name == "FEED__") {
    Head h = readHead(c, false, true, m);
    c.tag("D:");
    int dir = c.keyword({{0, "CW_"}, {1, "CCW"}});
    if (c.end() && !(error = motionRefusal(m))) startFeed(m, nowMs, dir == 1 ? -1 : 1, h.speed);
  } else if (name == "STEP__") {
    Head h = readHead(c, true, true, m);
    c.tag("P:");
    int dir = c.keyword({{0, "+"}, {1, "-"}});
    int source = c.keyword({{0, "SEL1"}, {1, "SEL2"}, {2, "SEL3"}, {3, "SEL4"}, {4, "SET_"}});
    uint32_t amount = source == 4 ? c.hex(8) : 1000u * static_cast<uint32_t>(source + 1);
    if (c.end() && !(error = motionRefusal(m))) {
      int64_t delta = dir == 1 ? -static_cast<int64_t>(amount) : static_cast<int64_t>(amount);
      int32_t target = 0;
      if (!targetOf(m, 2, delta, &target)) error = kErrRange;
      else startMove(m, nowMs, 1, target, h.speed);
    }
  } else if (name == "POSING" || name == "HOMING" || name == "GOTOST" || name == "POS_EX" ||
             name == "POS_AS") {
    Head h = readHead(c, true, true, m);
    int64_t target = 0;
    uint8_t state = 1;
    if (name != "HOMING") {
      c.tag("P:");
      uint32_t value = c.hex(8);
      // A station number is a count of 1000-unit stations, never relative.
      target = name == "GOTOST" ? static_cast<int64_t>(value) * 1000 : signedValue(value);
    } else {
      state = 8;
    }
    int move = name == "HOMING" || name == "GOTOST" ? 1 : h.move;
    if (name == "GOTOST") {
      c.tag("D:");
      c.keyword({{0, "CW_"}, {1, "CCW"}, {2, "NR_"}});
      state = 6;
    } else if (name == "POS_EX") {
      c.tag("S:");
      c.keyword({{0, "PC_"}, {1, "EXT"}});
      c.tag("E:");
      if (c.keyword({{0, "PARM"}, {4, "SET_"}}) == 4) c.hex(8);
      if (c.peek("O:")) {
        c.tag("O:");
        c.hex(8);
      }
      state = 2;
    } else if (name == "POS_AS") {
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
      state = 4;
    }
    int32_t absolute = 0;
    if (c.end() && !(error = motionRefusal(m))) {
      if (!targetOf(m, move, target, &absolute)) error = kErrRange;
      else startMove(m, nowMs, state, absolute, h.speed);
    }
  } else if (name == "GOTOPT") {
    Head h = readHead(c, true, false, m);
    c.tag("P:");
    uint32_t point = c.hex(4);
    if (c.end() && !(error = motionRefusal(m))) {
      int32_t target = 0;
      if (point < 1 || point > 50 ||
          !targetOf(m, h.move, signedValue(m.pointPosition[point - 1]), &target))
        error = kErrRange;
      else startMove(m, nowMs, 7, target, m.pointSpeed[point - 1]);
    }
  } else if (name == "POS_MS") {
    if (continuation) {
      // Second message of a split request: the remaining change pairs.
      c.tag("B:0000X:");
      int pairs = readPairs(c);
      int first = p.splitPairs;
      p.splitPending = false;
      if (c.end()) {
        if (!hadFirstPart) error = kSimErrSequence;
        else if (first + pairs > kMaxChangePairs) error = kErrRange;
        else if (!(error = motionRefusal(m))) startMove(m, nowMs, 3, m.targetPosition, m.speed);
      }
    } else {
      bool first = c.peek("B:0001");
      c.tag(first ? "B:0001" : "B:0000");
      Head h = readHead(c, true, true, m);
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
      bool inRange = targetOf(m, h.move, value, &target);
      if (first) {
        // Remember the move; the module answers only the second message, and
        // a first part it cannot use leaves nothing for the second to continue.
        p.splitPending = c.end() && pairs > 0 && inRange;
        p.splitPairs = pairs;
        if (p.splitPending) {
          m.targetPosition = target;
          m.speed = h.speed ? h.speed : 10000;
        }
        return {};
      }
      if (c.end()) {
        if (pairs > kMaxChangePairs || !inRange) error = kErrRange;
        else if (!(error = motionRefusal(m))) startMove(m, nowMs, 3, target, h.speed);
      }
    }
  } else if (name == "STOP__") {
    c.tag("M:");
    int mode = c.keyword({{0, "DEC_"}, {1, "ZERO"}});
    // A stop is always accepted, whatever the servo, alarm or emergency state.
    if (c.end()) {
      if (mode == 0) decelerateMotion(m, nowMs);
      else stopMotion(m, nowMs);
    }
  } else if (name == "RDPARM") {
    c.tag("M:");
    c.keyword({{0, "NORM"}});
    c.tag("S:Pn");
    uint16_t number = static_cast<uint16_t>(c.hex(4));
    if (c.end()) {
      SimParameter* prm = findSimParameter(m, number);
      if (!prm || parameterRejected(m, number)) error = kErrUndefined;
      uint16_t echo = number;
      if (f.wrongEcho > 0) {
        --f.wrongEcho;
        echo = static_cast<uint16_t>(number + 1);
      }
      fields = "S:Pn" + hexText(echo, 4) + hexText(prm && !error ? prm->value : 0, 8);
    }
  } else if (name == "WRPARM") {
    c.tag("M:");
    c.keyword({{0, "NORM"}});
    c.tag("D:Pn");
    uint16_t number = static_cast<uint16_t>(c.hex(4));
    uint32_t value = c.hex(8);
    if (c.end()) {
      SimParameter* prm = findSimParameter(m, number);
      if (!prm || parameterRejected(m, number)) error = kErrUndefined;
      else if (!parameterValueAllowed(*prm, value)) error = kSimErrLimit;
      else prm->value = value;
    }
  } else if (name == "GET_PT") {
    c.tag("N:");
    uint32_t point = c.hex(4);
    if (c.end()) {
      uint32_t echo = point;
      if (f.wrongEcho > 0) {
        --f.wrongEcho;
        echo = (point + 1) & 0xFFFFu;
      }
      if (point < 1 || point > 50) {
        error = kErrRange;
        fields = "N:" + hexText(echo, 4);
      } else {
        fields = "N:" + hexText(echo, 4) + "V:" + hexText(m.pointSpeed[point - 1], 8) + "P:" +
                 hexText(m.pointPosition[point - 1], 8);
      }
    }
  } else if (name == "SET_PT") {
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
    if (c.end()) {
      if (point < 1 || point > 50) error = kErrRange;
      else {
        // Without a position the point takes the current command position (teaching).
        m.pointSpeed[point - 1] = speed;
        m.pointPosition[point - 1] = withPosition ? position : static_cast<uint32_t>(m.position);
      }
    }
  } else if (name == "RD_MEM" || name == "WR_MEM") {
    c.tag("T:");
    int unit = c.keyword(kUnit);
    c.tag("A:");
    uint32_t address = c.hex(8);
    c.tag("N:");
    uint32_t count = c.hex(4);
    std::vector<uint8_t> bytes;
    if (name == "WR_MEM") {
      c.tag("D:");
      for (uint32_t i = 0; i < count && c.ok; ++i) bytes.push_back(static_cast<uint8_t>(c.hex(2)));
    }
    if (c.end()) {
      if (address > 0xFFFF || address + count > 0x10000) error = kErrRange;
      else if (name == "WR_MEM") std::copy(bytes.begin(), bytes.end(), m.memory[unit].begin() + address);
      else {
        int64_t sent = count;
        if (f.memoryCount > 0) {
          --f.memoryCount;
          sent = std::max<int64_t>(0, sent + f.memoryDelta);
        }
        chain = chainMemory(name, m.memory[unit], address, static_cast<uint32_t>(std::min<int64_t>(sent, 0x10000)));
      }
    }
  } else if (name == "RDDVID") {
    c.tag("M:");
    int item = c.keyword({{0, "QZ_TYP"}, {1, "QZ_VER"}, {2, "SV_TYP"}, {3, "SV_VER"}, {4, "EN_VER"}, {5, "MT_TYP"}});
    if (c.end()) {
      std::string text = m.idTexts[item].substr(0, 32) + ";";
      if (f.noSemicolon > 0) {
        // Past offset 48 with no ";": the tool cannot find the end of the text.
        --f.noSemicolon;
        text = m.idTexts[item].substr(0, 32);
        text.resize(40, '-');
        for (auto& ch : text)
          if (ch == ';') ch = '-';
      }
      fields = "M:" + text;
    }
  } else if (name == "RSTMDL") {
    if (c.end()) {
      stopMotion(m, nowMs);
      m.servo = 0;
      m.alarms[0].clear();
      m.alarm = 0;
    }
  } else {
    return {};   // not a command of this module: no answer
  }

  if (!c.end()) {
    error = kErrArgument;
    fields.clear();
    chain.clear();
  }
  auto forced = p.forcedErrors.find(name);
  if (forced != p.forcedErrors.end()) {
    error = forced->second;
    chain.clear();
  }
  if (!chain.empty() && error == kErrNone) {
    applyChainFaults(f, name, chain);
    return chain;
  }
  return {reply(name, error, fields)};
}
