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

struct Sim {
  SimModel model;
  SimProtocol protocol;
  LineFaults faults;
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

// One control-port command line (without its line end) at `nowMs`; the answer's
// last line is OK or ERR <reason>.
std::string runControl(Sim& sim, const std::string& line, int64_t nowMs);
