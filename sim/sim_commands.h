// The simulator's command handlers, found by command name, and what they share with the dispatcher.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "sim/sim_model.h"
#include "sim/sim_protocol.h"

// Reads fields from a request body one after another; the first field that does
// not read leaves it not ok, and every later read does nothing.
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
  // Code of the first keyword that matches, -1 (and not ok) when none does.
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

// One request on its way through its handler; the cursor stands after "01C".
struct SimRequest {
  SimProtocol& protocol;
  SimModel& model;
  const std::string& name;
  Cursor c;
  int64_t nowMs;
};

// What a handler answers: one reply's error code and fields, or a chain of whole
// replies. Faults are applied to it afterwards, in one place.
struct SimAnswer {
  uint16_t error = kSimErrNone;
  std::string fields;
  std::vector<std::string> chain;
  bool silent = false;                         // the module does not answer this request
  // RD_MEM: where its chain's bytes come from, for a fault that changes their count.
  const std::vector<uint8_t>* memory = nullptr;
  uint32_t address = 0;
  uint32_t count = 0;
};

using SimHandler = void (*)(SimRequest& request, SimAnswer& answer);

// The handler of a six-character command name; null for a name the module does not know.
SimHandler findCommandHandler(const std::string& name);

// One framed reply: STX, name, "10R", error code, fields, CR.
std::string simReply(const std::string& name, uint16_t error, const std::string& fields);
// RD_MEM's chain: `count` bytes from `address`, 116 a reply; the address wraps
// within the 64 KiB so that a chain made longer by a fault still reads memory.
std::vector<std::string> chainMemory(const std::string& name, const std::vector<uint8_t>& memory,
                                     uint32_t address, uint32_t count);
