// Motion commands: home, move, step and jog, with the common motion options.
#include "cli/qzctl.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "protocol/command_table.h"

namespace qzctl {
namespace {

struct MotionArgs {
  MotionHead head{1, 0, 0, 0, 0};  // accel, filter and speed follow the parameters
  bool wait = false;
  std::vector<std::string> rest;  // positional words and command-specific options
};

// Takes the motion options out of args[1..]; the rest stays in order.
int parseMotion(const std::vector<std::string>& args, MotionArgs* m) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool more = i + 1 < args.size();
    if (a == "--accel" && more) {
      int k = keywordIndex(args[++i], {"none", "lacc", "twos", "idea"});
      if (k < 0) return usage("--accel must be none, lacc, twos or idea");
      m->head.accelType = static_cast<uint8_t>(k + 1);
    } else if (a == "--filter" && more) {
      int k = keywordIndex(args[++i], {"none", "exp", "bias", "mave"});
      if (k < 0) return usage("--filter must be none, exp, bias or mave");
      m->head.filterType = static_cast<uint8_t>(k + 1);
    } else if (a == "--speed" && more) {
      int32_t v;
      ++i;
      if (!parseFormatted(g_opt.valueFormat, args[i], &v)) return badDecimal("speed", g_opt.valueFormat, args[i]);
      if (v < 0) return usage("a speed is not negative");
      m->head.speedSource = 4;
      m->head.speed = static_cast<uint32_t>(v);
    } else if (a == "--wait") {
      m->wait = true;
    } else {
      m->rest.push_back(a);
    }
  }
  return EXIT_OK;
}

// The decelerating stop, repeated under --retry; the port is reopened first when a
// failed request has closed it.
uint16_t sendStop() {
  if (!linkFlagTest(LINK_PORT_OPEN)) postConnectionRequest(1, 1, g_mode.currentPort);
  return withRetry([&] { return request_STOP__(nullptr, 0); });
}

// Bit 0 of the motion status word: the block has ended. The state keyword does not
// tell: a block can end in "STOP___", and "NEUTRAL" can be read before it has ended.
constexpr uint16_t kBlockEndBit = 0x0001;

// Polls the motion status every 100 ms until the block has ended, then prints the command position.
int waitForBlockEnd() {
  uint8_t state = 0;
  uint16_t word = 0;
  while (g_running) {
    if (int e = exitForStatus(withRetry([&] { return request_RDMSTS(nullptr, &state, &word); }))) return e;
    if (word & kBlockEndBit) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!g_running) {
    sendStop();
    return fail(EXIT_COMM, "interrupted, motion stopped");
  }
  uint32_t pos = 0, fb, dev, latch, torque, m1, m2;
  if (int e = exitForStatus(withRetry([&] { return request_RD_MON(nullptr, &pos, &fb, &dev, &latch, &torque, &m1, &m2); })))
    return e;
  std::string text = formatted(g_opt.valueFormat, static_cast<int32_t>(pos));
  Record r;
  r.columns = {{"commandPosition", text, text}};
  r.layout = "command position {commandPosition}\n";
  print(r);
  return EXIT_OK;
}

// Sends one motion; --retry never repeats it, the module may have carried it out.
uint16_t sendMotion(const MotionRequest& q) {
  return withoutRetry(commandName(q.command), [&] { return requestMotion(nullptr, q); });
}

int finishMotion(uint16_t status, const MotionArgs& m) {
  if (int e = exitForStatus(status)) return e;
  return m.wait ? waitForBlockEnd() : EXIT_OK;
}

}  // namespace

int cmdMotion(const std::vector<std::string>& args) {
  MotionArgs m;
  if (int e = parseMotion(args, &m)) return e;
  const std::string& c = args[0];
  const std::vector<std::string>& r = m.rest;
  long n;
  if (c == "home") {
    if (!r.empty()) return unexpectedArgument(r[0]);
    if (int e = connectModule()) return e;
    return finishMotion(sendMotion({.command = CMD_HOMING, .head = m.head}), m);
  }
  if (c == "move" && r.size() == 2 && (r[0] == "abs" || r[0] == "inc")) {
    int32_t target;
    if (!parseFormatted(g_opt.valueFormat, r[1], &target)) return badDecimal("target", g_opt.valueFormat, r[1]);
    m.head.moveType = r[0] == "abs" ? 1 : 2;
    if (int e = connectModule()) return e;
    return finishMotion(
        sendMotion({.command = CMD_POSING, .head = m.head, .targetPosition = static_cast<uint32_t>(target)}), m);
  }
  if (c == "move" && r.size() == 2 && r[0] == "point") {
    if (!parseDecimal(r[1], 1, 50, &n)) return usage("point number must be 1..50");
    if (int e = connectModule()) return e;
    const MotionHead head{1, m.head.accelType, m.head.filterType, 0, 0};   // absolute, no speed
    return finishMotion(
        sendMotion({.command = CMD_GOTOPT, .head = head, .pointNumber = static_cast<uint16_t>(n)}), m);
  }
  if (c == "move" && r.size() >= 2 && r[0] == "station") {
    uint8_t dir = 2;
    if (r.size() == 4 && r[2] == "--dir") {
      int k = keywordIndex(r[3], {"cw", "ccw", "near"});
      if (k < 0) return usage("--dir must be cw, ccw or near");
      dir = static_cast<uint8_t>(k);
    } else if (r.size() != 2) {
      return unexpectedArgument(r[2]);
    }
    if (!parseDecimal(r[1], 0, 0x7FFFFFFF, &n)) return usage("invalid station number");
    if (int e = connectModule()) return e;
    return finishMotion(sendMotion({.command = CMD_GOTOST, .head = m.head, .direction = dir,
                                    .stationNumber = static_cast<uint32_t>(n)}),
                        m);
  }
  if (c == "step" && !r.empty() && (r[0] == "+" || r[0] == "-")) {
    uint8_t source = 0;
    uint32_t amount = 0;
    if (r.size() == 3 && r[1] == "--param") {
      if (!parseDecimal(r[2], 1, 4, &n)) return usage("--param must be 1..4");
      source = static_cast<uint8_t>(n - 1);
    } else if (r.size() == 3 && r[1] == "--amount") {
      int32_t a;
      if (!parseFormatted(g_opt.valueFormat, r[2], &a)) return badDecimal("amount", g_opt.valueFormat, r[2]);
      if (a < 0) return usage("an amount is not negative");
      source = 4;
      amount = static_cast<uint32_t>(a);
    } else if (r.size() != 1) {
      return unexpectedArgument(r[1]);
    }
    if (int e = connectModule()) return e;
    uint8_t dir = r[0] == "+" ? 0 : 1;
    return finishMotion(sendMotion({.command = CMD_STEP, .head = m.head, .direction = dir, .stepAmountSource = source,
                                    .stepAmount = amount}),
                        m);
  }
  if (c == "jog" && r.size() == 3 && (r[0] == "cw" || r[0] == "ccw") && r[1] == "--for") {
    if (!parseDecimal(r[2], 1, 3600000, &n)) return usage("--for needs milliseconds 1..3600000");
    if (int e = connectModule()) return e;
    uint8_t dir = r[0] == "cw" ? 0 : 1;
    uint16_t fed = sendMotion({.command = CMD_FEED, .head = m.head, .direction = dir});
    if (fed != STATUS_OK) {
      // Only an error reply says the module refused the feed. After a lost or
      // garbled reply it may be feeding already, with nothing to end it: stop it.
      if (fed != STATUS_ERROR_REPLY) sendStop();
      return exitForStatus(fed);
    }
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(n);
    while (g_running && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // The stop is sent in every case, also after Ctrl-C.
    int e = exitForStatus(sendStop());
    if (!g_running) return fail(EXIT_COMM, "interrupted, feed stopped");
    return e;
  }
  return usage("unknown motion arguments");
}

}  // namespace qzctl
