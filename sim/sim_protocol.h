// The simulator's own request parser: one request body in, the module's replies out.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/sim_model.h"

struct SimProtocol {
  SimModel* model = nullptr;
  std::map<std::string, uint16_t> forcedErrors;   // command name -> error code
  bool splitPending = false;                      // first message of a split POS_MS seen
  std::string splitHead;                          // its fields, for the log
};

// `body` is the request from after STX up to (not including) CR. Returns the
// replies to send, in order (several for a chain; none when the request is not
// answered).
std::vector<std::string> handleRequest(SimProtocol& protocol, const std::string& body, int64_t nowMs);

// Printable form of wire bytes: <STX>, <CR>, \xNN for other control bytes.
std::string printable(const std::string& bytes);
std::string hexText(uint32_t value, int digits);
// The RDMSTS keyword of a motion state code.
const char* motionStateWord(uint8_t state);
bool parseHexText(const std::string& text, size_t at, int digits, uint32_t* value);
