// The simulator's framing, request dispatch and reply faults, and its wire text helpers.
#include "sim/sim_protocol.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "sim/sim_commands.h"

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

namespace {

// RDMSTS: "M:" and a seven-letter state keyword the tool does not know.
bool unknownMotionState(SimAnswer& a, const ReplyFaults&) {
  a.fields.replace(2, 7, "MOVING_");
  return true;
}

// RDSSTS: the servo keyword after "S:hhhhR:xxxV:".
bool unknownServoKeyword(SimAnswer& a, const ReplyFaults&) {
  a.fields.replace(13, 3, "XX_");
  return true;
}

// RDPARM ("S:Pn" and the number), GET_PT ("N:" and the number): the echo one higher.
template <size_t kAt>
bool echoOneHigher(SimAnswer& a, const ReplyFaults&) {
  uint32_t echo = 0;
  parseHexText(a.fields, kAt, 4, &echo);
  a.fields.replace(kAt, 4, hexText((echo + 1) & 0xFFFFu, 4));
  return true;
}

// RDDVID: past offset 48 with no ";", so the tool cannot find the end of the text.
bool noSemicolon(SimAnswer& a, const ReplyFaults&) {
  std::string text = a.fields.substr(2, a.fields.size() - 3);
  text.resize(40, '-');
  std::replace(text.begin(), text.end(), ';', '-');
  a.fields = "M:" + text;
  return true;
}

// RD_MEM: the chain carries memoryDelta bytes more or fewer than asked for.
bool memoryCount(SimAnswer& a, const ReplyFaults& f) {
  if (!a.memory) return false;   // refused: there is no chain to change
  int64_t sent = std::max<int64_t>(0, static_cast<int64_t>(a.count) + f.memoryDelta);
  a.chain = chainMemory("RD_MEM", *a.memory, a.address,
                        static_cast<uint32_t>(std::min<int64_t>(sent, 0x10000)));
  return true;
}

// A counted fault in one command's reply: while its counter runs, each reply of
// a request that read whole is changed, and counts once.
struct FieldFault {
  const char* command;
  int ReplyFaults::*counter;
  bool (*apply)(SimAnswer& answer, const ReplyFaults& faults);   // false: nothing to change
};
const FieldFault kFieldFaults[] = {
    {"RDMSTS", &ReplyFaults::unknownKeyword, unknownMotionState},
    {"RDSSTS", &ReplyFaults::unknownKeyword, unknownServoKeyword},
    {"RDPARM", &ReplyFaults::wrongEcho, echoOneHigher<4>},
    {"GET_PT", &ReplyFaults::wrongEcho, echoOneHigher<2>},
    {"RDDVID", &ReplyFaults::noSemicolon, noSemicolon},
    {"RD_MEM", &ReplyFaults::memoryCount, memoryCount},
};

// A reply of a chain lost, or replaced by an error reply that ends the chain.
void applyChainFaults(ReplyFaults& f, const std::string& name, std::vector<std::string>& chain) {
  if (f.chainError > 0) {
    size_t at = static_cast<size_t>(f.chainError);
    f.chainError = 0;
    if (at <= chain.size()) {
      chain.resize(at);
      // An empty data field ends the reply, so the tool reads no items from it
      // (its buffer still holds the previous reply of the chain behind the CR).
      chain[at - 1] = simReply(name, f.chainErrorCode, "D:");
    }
  }
  if (f.chainLost > 0) {
    size_t at = static_cast<size_t>(f.chainLost);
    f.chainLost = 0;
    if (at <= chain.size()) chain.erase(chain.begin() + static_cast<std::ptrdiff_t>(at - 1));
  }
}

// The one place faults reach a reply: field faults on a request that read whole,
// then a forced error code, then the chain faults on a chain still sent.
std::vector<std::string> faultedReplies(SimProtocol& p, const std::string& name, bool readWhole,
                                        SimAnswer& a) {
  for (const FieldFault& fault : kFieldFaults) {
    int& counter = p.faults.*fault.counter;
    if (readWhole && name == fault.command && counter > 0 && fault.apply(a, p.faults)) --counter;
  }
  auto forced = p.forcedErrors.find(name);
  if (forced != p.forcedErrors.end()) {
    a.error = forced->second;
    a.chain.clear();
  }
  if (!a.chain.empty() && a.error == kSimErrNone) {
    applyChainFaults(p.faults, name, a.chain);
    return a.chain;
  }
  return {simReply(name, a.error, a.fields)};
}

}  // namespace

std::vector<std::string> handleRequest(SimProtocol& p, const std::string& body, int64_t nowMs) {
  if (body.size() < 9 || body.compare(6, 3, "01C") != 0) return {};
  const std::string name = body.substr(0, 6);
  SimRequest request{p, *p.model, name, Cursor{body, 9}, nowMs};
  updateMotion(request.model, nowMs);
  // A split POS_MS must continue with its second part and nothing else.
  if (!(name == "POS_MS" && request.c.peek("B:0000X:"))) p.splitPending = false;
  SimHandler handler = findCommandHandler(name);
  if (!handler) return {};   // not a command of this module: no answer

  SimAnswer answer;
  handler(request, answer);
  if (answer.silent) return {};
  bool readWhole = request.c.end();
  if (!readWhole) {
    answer.error = kSimErrArgument;
    answer.fields.clear();
    answer.chain.clear();
  }
  return faultedReplies(p, name, readWhole, answer);
}
