// The simulator's own request parser: one request body in, the module's replies out.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/sim_model.h"

// Error codes the simulated module answers with.
constexpr uint16_t kSimErrNone = 0x0000;
constexpr uint16_t kSimErrUndefined = 0x0001;   // parameter not defined or refused
constexpr uint16_t kSimErrArgument = 0x0002;    // a field the module cannot read
constexpr uint16_t kSimErrLimit = 0x0003;       // parameter value outside its limits or size
constexpr uint16_t kSimErrRange = 0x0004;       // number, address, count or position out of range
constexpr uint16_t kSimErrSequence = 0x0005;    // continuation without its first part
constexpr uint16_t kSimErrServoOff = 0x0010;    // motion refused: servo off
constexpr uint16_t kSimErrAlarm = 0x0011;       // motion refused: alarm active
constexpr uint16_t kSimErrEmergency = 0x0012;   // motion refused: emergency stop

constexpr size_t kMaxRequestBytes = 256;        // the module's receive buffer, STX to CR

// Faults in single reply fields and in reply chains, set through the control
// port. Counters apply to that many replies of the commands named; the chain
// faults apply to the next RD_ALM or RD_MEM chain only.
struct ReplyFaults {
  int wrongEcho = 0;          // RDPARM, GET_PT: echoed number one higher
  int unknownKeyword = 0;     // RDMSTS, RDSSTS: a keyword the tool does not know
  int noSemicolon = 0;        // RDDVID: 40 characters of text and no ";"
  int memoryCount = 0;        // RD_MEM: chain carries memoryDelta bytes more or fewer
  int memoryDelta = 0;
  int chainLost = 0;          // 1-based reply of the next chain that is not sent
  int chainError = 0;         // 1-based reply of the next chain replaced by an error reply
  uint16_t chainErrorCode = 0;
};

struct SimProtocol {
  SimModel* model = nullptr;
  std::map<std::string, uint16_t> forcedErrors;   // command name -> error code
  ReplyFaults faults;
  bool splitPending = false;                      // first message of a split POS_MS seen
  int splitPairs = 0;                             // change pairs it carried
  bool discarding = false;                        // an over-long message is being dropped
};

enum class Frame { None, Request, Rejected };

// Takes the next message, up to and including CR, off the front of `input`.
// Request: `body` is the text between STX and CR. Rejected: `why` says what is
// wrong (bytes before STX, longer than kMaxRequestBytes); the module does not
// answer it. None: no complete message yet. `raw` receives the message's bytes.
Frame takeFrame(SimProtocol& protocol, std::string& input, std::string* body, std::string* raw,
                const char** why);

// `body` is the request from after STX up to (not including) CR. Returns the
// replies to send, in order (several for a chain; none when the request is not
// answered).
std::vector<std::string> handleRequest(SimProtocol& protocol, const std::string& body, int64_t nowMs);

// Printable form of wire bytes: <STX>, <CR>, \xNN for other control bytes.
std::string printable(const std::string& bytes);
std::string hexText(uint32_t value, int digits);
// Hexadecimal digits in either case (control-port arguments).
bool parseHexText(const std::string& text, size_t at, int digits, uint32_t* value);
// Upper-case hexadecimal digits only, as the module reads them in a request.
bool parseRequestHex(const std::string& text, size_t at, int digits, uint32_t* value);
