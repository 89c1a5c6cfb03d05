// The simulator's whole state and its control-port commands, callable without a socket.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_model.h"
#include "sim/sim_protocol.h"

// Faults of the line itself, applied as a reply is written (FAULT SILENT ... TRUNCATE).
struct LineFaults {
  bool silent = false;
  int noReply = 0;
  std::string noReplyCommand;   // only requests of this command go unanswered; empty: any
  int header = 0;
  int prefix = 0;
  int split = 0;
  int truncate = 0;
  size_t truncateBytes = 0;
};

// Kinds of fault a storm draws from, in the order GET STORM lists their counts.
enum class StormFault : uint8_t { NoReply, Header, Prefix, Split, Truncate, Corrupt, Error, Count };
constexpr int kStormFaultKinds = static_cast<int>(StormFault::Count);

// FAULT STORM: each reply, with `percent` chance, gets one fault drawn by a seeded
// generator, so the same seed over the same requests gives the same faults. The
// counts stay until the next storm starts, for a report after FAULT NONE.
struct FaultStorm {
  int percent = 0;
  uint64_t seed = 0;
  uint64_t state = 0;                       // splitmix64
  uint32_t replies = 0;                     // replies the storm saw
  uint32_t counts[kStormFaultKinds] = {};   // faults it injected, by kind
};

// A burst of reply bytes and the pause before it is written.
struct Burst {
  int64_t pauseMs;
  std::string bytes;
};

struct Sim {
  SimModel model;
  SimProtocol protocol;
  LineFaults faults;
  FaultStorm storm;
  uint32_t requests = 0;           // messages received, answered or not
  bool pace = false;
  bool quiet = false;
  int master = -1;                 // the pseudo-terminal's master side
  std::string input;               // received bytes not yet framed
  std::vector<std::string> log;    // every request received, printable
};

// The usage text: command-line options and control-port commands.
extern const char* const kSimHelp;

// Clears every injected fault: the line faults, forced error codes, reply field and chain faults.
void clearFaults(Sim& sim);

// Logs one framed message (`raw` as received, `body` between STX and CR) and returns
// what the line carries back: the module's replies with the line faults and the storm
// applied, in bursts. A rejected message (`why` set) is logged and not answered.
std::vector<Burst> answerMessage(Sim& sim, const std::string& raw, const std::string& body, const char* why,
                                 int64_t nowMs);

// One control-port command line (without its line end) at `nowMs`; the answer's
// last line is OK or ERR <reason>.
std::string runControl(Sim& sim, const std::string& line, int64_t nowMs);
