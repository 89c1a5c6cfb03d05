// The line side of the simulator: a framed message in, the reply bursts out, with the
// counted line faults and the fault storm applied.
#include <algorithm>

#include "sim/sim_commands.h"
#include "sim/sim_control.h"

namespace {

// The tool's read ends 50 ms after the last byte and then discards what is queued:
// leave well over that between the replies of a chain, also for a loaded machine
// or an emulated port.
constexpr int64_t kChainPauseMs = 150;
constexpr int64_t kSplitPauseMs = 80;   // between the two bursts of a split reply
constexpr size_t kFieldsAt = 14;        // STX, name, "10R", error code
// Error codes a storm answers with: ones the module really sends.
constexpr uint16_t kStormErrors[] = {kSimErrUndefined, kSimErrArgument, kSimErrRange};

uint64_t splitmix(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// One storm fault on a reply's bytes; false when the reply is not sent at all.
// Every reply takes three draws, so a seed gives one sequence however faults fall.
bool stormFault(FaultStorm& s, std::string& bytes, bool& split) {
  uint64_t roll = splitmix(s.state) % 10000, kindDraw = splitmix(s.state), pick = splitmix(s.state);
  ++s.replies;
  if (roll >= static_cast<uint64_t>(s.percent) * 100 || bytes.size() <= kFieldsAt) return true;
  auto kind = static_cast<StormFault>(kindDraw % kStormFaultKinds);
  ++s.counts[static_cast<int>(kind)];
  switch (kind) {
    case StormFault::NoReply: return false;
    case StormFault::Header: bytes.replace(1, 6, "XXXXXX"); break;
    case StormFault::Prefix: bytes.insert(bytes.begin(), 'Z'); break;
    case StormFault::Split: split = true; break;
    case StormFault::Truncate: bytes.resize(1 + pick % (bytes.size() - 1)); break;
    case StormFault::Corrupt: {
      // A character of the error code or fields that no field reads: never a hex
      // digit, a tag letter or a framing byte, so the tool sees the reply is bad.
      char& c = bytes[kFieldsAt - 4 + pick % (bytes.size() - kFieldsAt + 3)];
      c = c == '?' ? '!' : '?';
      break;
    }
    case StormFault::Error: {
      // A chain's reply keeps an empty data field, as an error reply of a chain does.
      bool chained = bytes.compare(kFieldsAt, 2, "D:") == 0 || bytes.compare(kFieldsAt, 2, "P:") == 0;
      bytes = simReply(bytes.substr(1, 6), kStormErrors[pick % std::size(kStormErrors)], chained ? "D:" : "");
      break;
    }
    case StormFault::Count: break;
  }
  return true;
}

// One reply through the counted line faults and the storm, as bursts onto `out`.
void sendOnLine(Sim& sim, std::string bytes, int64_t pauseMs, std::vector<Burst>& out) {
  LineFaults& f = sim.faults;
  if (f.header > 0) {
    --f.header;
    if (bytes.size() > 7) bytes.replace(1, 6, "XXXXXX");
  }
  if (f.prefix > 0) {
    --f.prefix;
    bytes.insert(bytes.begin(), 'Z');
  }
  if (f.truncate > 0) {
    --f.truncate;
    if (bytes.size() > f.truncateBytes) bytes.resize(f.truncateBytes);
  }
  bool split = false;
  if (f.split > 0 && bytes.size() > 2) {
    --f.split;
    split = true;
  }
  if (sim.storm.percent > 0 && !stormFault(sim.storm, bytes, split)) return;
  if (!split) {
    out.push_back({pauseMs, bytes});
    return;
  }
  size_t half = bytes.size() / 2;
  out.push_back({pauseMs, bytes.substr(0, half)});
  out.push_back({kSplitPauseMs, bytes.substr(half)});
}

}  // namespace

std::vector<Burst> answerMessage(Sim& sim, const std::string& raw, const std::string& body, const char* why,
                                 int64_t nowMs) {
  ++sim.requests;
  if (why) {
    sim.log.push_back(printable(raw) + " [not answered: " + why + "]");
    return {};
  }
  sim.log.push_back(printable(raw));
  if (sim.faults.silent) return {};
  const std::string& only = sim.faults.noReplyCommand;
  if (sim.faults.noReply > 0 && (only.empty() || (raw.size() > 7 && raw.compare(1, 6, only) == 0))) {
    --sim.faults.noReply;
    return {};
  }
  std::vector<Burst> out;
  std::vector<std::string> replies = handleRequest(sim.protocol, body, nowMs);
  for (size_t i = 0; i < replies.size(); ++i) sendOnLine(sim, replies[i], i > 0 ? kChainPauseMs : 0, out);
  return out;
}
