// qzsim: answers the setup tool like the option module, on a pseudo-terminal,
// with a loopback control port for tests (faults, model state, request log).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_model.h"
#include "sim/sim_protocol.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct Faults {
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
  Faults faults;
  bool pace = false;
  bool quiet = false;
  int master = -1;
  std::string input;
  std::vector<std::string> log;
};

const char* const kHelp =
    "usage: qzsim [--defs FILE] [--prm FILE] [--pnt FILE] [--link PATH] [--control-port N]\n"
    "             [--pace] [--quiet]\n"
    "Serves the module protocol on a pseudo-terminal (printed as \"QZSIM PTY <path>\") and a\n"
    "loopback control port (\"QZSIM CONTROL <port>\"; 0 picks a free one). One command per\n"
    "line, each answer ends with OK or ERR <reason>:\n"
    "  PING | HELP | RESET | PACE ON|OFF | LOG | LOG CLEAR\n"
    "  GET STATUS | SET READY|SERVO|MAIN|ALARM 0|1 | GET MOTION\n"
    "  SET EMSTOP 0|1       emergency stop input: the axis halts, RDMSTS says EM_STOP\n"
    "  SET SETTLE <ms>      time from block end until the state keyword says NEUTRAL\n"
    "  GET PARAM <hex4> | SET PARAM <hex4> <hex8> | GET POINT <n> | SET POINT <n> <hex8> <hex8>\n"
    "  SET INPUTS <hex4> <hex4> <hex4> | SET ALARMS QZ|SV [<hex8 stamp> <hex8 word>]...\n"
    "  SET ID <0-5> <text> | GET OUTPUTS | GET MEM QZ|SV <hex4 address>\n"
    "Faults (<n>: for that many replies; FAULT NONE clears them all):\n"
    "  FAULT SILENT                  the line is dead: nothing is answered\n"
    "  FAULT NOREPLY <n> [<CMD>]     requests (of that command) are not answered\n"
    "  FAULT HEADER <n>              the reply's command name is wrong\n"
    "  FAULT PREFIX <n>              a byte in front of the reply's STX\n"
    "  FAULT SPLIT <n>               the reply comes in two bursts 80 ms apart\n"
    "  FAULT TRUNCATE <n> <bytes>    the reply is cut after <bytes> bytes\n"
    "  FAULT ERROR <CMD> <hex4>      every <CMD> is answered with that error code\n"
    "  FAULT ECHO <n>                RDPARM, GET_PT: the echoed number is one higher\n"
    "  FAULT KEYWORD <n>             RDMSTS, RDSSTS: a state keyword the tool does not know\n"
    "  FAULT NOSEMI <n>              RDDVID: 40 characters of text without \";\"\n"
    "  FAULT MEMCOUNT <n> <delta>    RD_MEM: the chain carries <delta> bytes more (or fewer)\n"
    "  FAULT CHAINLOST <k>           the next RD_ALM or RD_MEM chain loses its k-th reply\n"
    "  FAULT CHAINERROR <k> <hex4>   ... its k-th reply is an error reply, ending the chain\n"
    "  REJECT <hex4>                 the parameter is refused with error 0001\n"
    "The module refuses, with an error reply: an unreadable field or lower-case hex digit\n"
    "(0002), a parameter value outside its definition's limits or size (0003), a number or\n"
    "position out of range or more than 15 POS_MS pairs (0004), a POS_MS continuation with no\n"
    "first part (0005), and a motion while the servo is off (0010), an alarm is active (0011)\n"
    "or the emergency stop is on (0012). STOP__ is always accepted; DEC_ reports STOP___ while\n"
    "decelerating. SET_PT without a position takes the current command position.\n"
    "It does not answer: bytes before STX, a request longer than 256 bytes, an unknown command.\n"
    "Motion status word: bit 0 block end, bit 1 moving, bit 2 servo on.\n";

void usage() { std::fputs(kHelp, stdout); }

// Writes one reply as the module would: one burst, or at 9600 baud 8E1 (11 bits
// a character) when pacing is on.
void writeBurst(Sim& sim, const std::string& bytes) {
  if (!sim.pace) {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(sim.master, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    return;
  }
  auto start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < bytes.size(); ++i) {
    auto due = start + std::chrono::microseconds(static_cast<int64_t>(i) * 11 * 1000000 / 9600);
    std::this_thread::sleep_until(due);
    if (::write(sim.master, bytes.data() + i, 1) != 1) break;
  }
  std::this_thread::sleep_until(start + std::chrono::microseconds(
                                            static_cast<int64_t>(bytes.size()) * 11 * 1000000 / 9600));
}

void sendReply(Sim& sim, std::string bytes) {
  Faults& f = sim.faults;
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
  if (f.split > 0 && bytes.size() > 2) {
    --f.split;
    size_t half = bytes.size() / 2;
    writeBurst(sim, bytes.substr(0, half));
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    writeBurst(sim, bytes.substr(half));
    return;
  }
  writeBurst(sim, bytes);
}

void serveRequests(Sim& sim) {
  for (;;) {
    std::string body, raw;
    const char* why = "";
    Frame frame = takeFrame(sim.protocol, sim.input, &body, &raw, &why);
    if (frame == Frame::None) return;
    if (frame == Frame::Rejected) {
      sim.log.push_back(printable(raw) + " [not answered: " + why + "]");
      continue;
    }
    sim.log.push_back(printable(raw));
    if (sim.faults.silent) continue;
    const std::string& only = sim.faults.noReplyCommand;
    if (sim.faults.noReply > 0 && (only.empty() || (raw.size() > 7 && raw.compare(1, 6, only) == 0))) {
      --sim.faults.noReply;
      continue;
    }
    std::vector<std::string> replies = handleRequest(sim.protocol, body, nowMs());
    for (size_t i = 0; i < replies.size(); ++i) {
      // The tool's read ends 50 ms after the last byte and then discards what
      // is queued: leave well over that between the replies of a chain, also for
      // a loaded machine or an emulated port.
      if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(150));
      sendReply(sim, replies[i]);
    }
  }
}

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

std::string upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool hexArg(const std::string& text, int maxDigits, uint32_t* value) {
  if (text.empty() || text.size() > static_cast<size_t>(maxDigits)) return false;
  return parseHexText(text, 0, static_cast<int>(text.size()), value);
}

bool flagArg(const std::string& text, uint8_t* out) {
  if (text != "0" && text != "1") return false;
  *out = text == "1";
  return true;
}

// One control command; the answer's last line is OK or ERR <reason>.
std::string control(Sim& sim, const std::string& line) {
  std::vector<std::string> w = words(line);
  if (w.empty()) return "ERR empty command\n";
  std::string verb = upper(w[0]);
  std::string a1 = w.size() > 1 ? upper(w[1]) : "";
  SimModel& m = sim.model;
  uint32_t v = 0, v2 = 0, v3 = 0;
  updateMotion(m, nowMs());

  if (verb == "PING") return "OK\n";
  if (verb == "HELP") return std::string(kHelp) + "OK\n";
  if (verb == "RESET") {
    resetModel(m);
    sim.faults = Faults{};
    sim.protocol.forcedErrors.clear();
    sim.protocol.faults = ReplyFaults{};
    sim.protocol.splitPending = false;
    return "OK\n";
  }
  if (verb == "PACE" && (a1 == "ON" || a1 == "OFF")) {
    sim.pace = a1 == "ON";
    return "OK\n";
  }
  if (verb == "LOG") {
    if (a1 == "CLEAR") {
      sim.log.clear();
      return "OK\n";
    }
    std::string out;
    for (auto& l : sim.log) out += l + "\n";
    return out + "OK\n";
  }
  if (verb == "REJECT" && w.size() == 2 && hexArg(w[1], 4, &v)) {
    m.rejected.push_back(static_cast<uint16_t>(v));
    return "OK\n";
  }
  if (verb == "FAULT") {
    Faults& f = sim.faults;
    if (a1 == "NONE") {
      f = Faults{};
      sim.protocol.forcedErrors.clear();
      sim.protocol.faults = ReplyFaults{};
      return "OK\n";
    }
    if (a1 == "SILENT") {
      f.silent = true;
      return "OK\n";
    }
    int n = w.size() > 2 ? std::atoi(w[2].c_str()) : 0;
    if (a1 == "NOREPLY" && n > 0 && (w.size() == 3 || (w.size() == 4 && w[3].size() == 6))) {
      f.noReply = n;
      f.noReplyCommand = w.size() == 4 ? upper(w[3]) : "";
      return "OK\n";
    }
    if (a1 == "HEADER" && n > 0) { f.header = n; return "OK\n"; }
    if (a1 == "PREFIX" && n > 0) { f.prefix = n; return "OK\n"; }
    if (a1 == "SPLIT" && n > 0) { f.split = n; return "OK\n"; }
    if (a1 == "TRUNCATE" && n > 0 && w.size() == 4) {
      f.truncate = n;
      f.truncateBytes = static_cast<size_t>(std::atoi(w[3].c_str()));
      return "OK\n";
    }
    ReplyFaults& r = sim.protocol.faults;
    if (a1 == "ECHO" && n > 0) { r.wrongEcho = n; return "OK\n"; }
    if (a1 == "KEYWORD" && n > 0) { r.unknownKeyword = n; return "OK\n"; }
    if (a1 == "NOSEMI" && n > 0) { r.noSemicolon = n; return "OK\n"; }
    if (a1 == "MEMCOUNT" && n > 0 && w.size() == 4 && std::atoi(w[3].c_str()) != 0) {
      r.memoryCount = n;
      r.memoryDelta = std::atoi(w[3].c_str());
      return "OK\n";
    }
    if (a1 == "CHAINLOST" && n > 0 && w.size() == 3) { r.chainLost = n; return "OK\n"; }
    if (a1 == "CHAINERROR" && n > 0 && w.size() == 4 && hexArg(w[3], 4, &v) && v != 0) {
      r.chainError = n;
      r.chainErrorCode = static_cast<uint16_t>(v);
      return "OK\n";
    }
    if (a1 == "ERROR" && w.size() == 4 && w[2].size() == 6 && hexArg(w[3], 4, &v)) {
      sim.protocol.forcedErrors[upper(w[2])] = static_cast<uint16_t>(v);
      return "OK\n";
    }
    return "ERR bad FAULT arguments\n";
  }
  if (verb == "GET") {
    if (a1 == "STATUS")
      return "ready=" + std::to_string(m.ready) + " servo=" + std::to_string(m.servo) +
             " main=" + std::to_string(m.mainCircuit) + " alarm=" + std::to_string(m.alarm) + "\nOK\n";
    if (a1 == "MOTION") {
      return std::string("state=") + motionStateWord(m.motionState) + " pos=" + std::to_string(m.position) +
             "\nOK\n";
    }
    if (a1 == "OUTPUTS") {
      uint16_t out[3];
      currentOutputs(m, out);
      return hexText(out[0], 4) + " " + hexText(out[1], 4) + " " + hexText(out[2], 4) + "\nOK\n";
    }
    if (a1 == "PARAM" && w.size() == 3 && hexArg(w[2], 4, &v)) {
      SimParameter* p = findSimParameter(m, static_cast<uint16_t>(v));
      if (!p) return "ERR no such parameter\n";
      return hexText(p->value, 8) + "\nOK\n";
    }
    if (a1 == "POINT" && w.size() == 3) {
      int n = std::atoi(w[2].c_str());
      if (n < 1 || n > 50) return "ERR point number 1-50\n";
      return hexText(m.pointSpeed[n - 1], 8) + " " + hexText(m.pointPosition[n - 1], 8) + "\nOK\n";
    }
    if (a1 == "MEM" && w.size() == 4 && hexArg(w[3], 4, &v)) {
      int unit = upper(w[2]) == "SV" ? 1 : 0;
      return hexText(m.memory[unit][v], 2) + "\nOK\n";
    }
    return "ERR bad GET arguments\n";
  }
  if (verb == "SET") {
    uint8_t flag = 0;
    if (w.size() == 3 && (a1 == "READY" || a1 == "SERVO" || a1 == "MAIN" || a1 == "ALARM") &&
        flagArg(w[2], &flag)) {
      (a1 == "READY" ? m.ready : a1 == "SERVO" ? m.servo : a1 == "MAIN" ? m.mainCircuit : m.alarm) = flag;
      // Servo off or an alarm halts the axis, as on the module.
      if ((a1 == "SERVO" && !flag) || (a1 == "ALARM" && flag)) stopMotion(m, nowMs());
      return "OK\n";
    }
    if (a1 == "EMSTOP" && w.size() == 3 && flagArg(w[2], &flag)) {
      setEmergency(m, nowMs(), flag != 0);
      return "OK\n";
    }
    if (a1 == "SETTLE" && w.size() == 3) {
      int ms = std::atoi(w[2].c_str());
      if (ms < 0 || ms > 60000 || w[2].find_first_not_of("0123456789") != std::string::npos)
        return "ERR settle time 0-60000 ms\n";
      m.settleMs = ms;
      return "OK\n";
    }
    if (a1 == "PARAM" && w.size() == 4 && hexArg(w[2], 4, &v) && hexArg(w[3], 8, &v2)) {
      SimParameter* p = findSimParameter(m, static_cast<uint16_t>(v));
      if (!p) return "ERR no such parameter\n";
      p->value = v2;
      return "OK\n";
    }
    if (a1 == "POINT" && w.size() == 5 && hexArg(w[3], 8, &v2) && hexArg(w[4], 8, &v3)) {
      int n = std::atoi(w[2].c_str());
      if (n < 1 || n > 50) return "ERR point number 1-50\n";
      m.pointSpeed[n - 1] = v2;
      m.pointPosition[n - 1] = v3;
      return "OK\n";
    }
    if (a1 == "INPUTS" && w.size() == 5) {
      uint32_t in[3];
      for (int i = 0; i < 3; ++i)
        if (!hexArg(w[2 + static_cast<size_t>(i)], 4, &in[i])) return "ERR bad input word\n";
      for (int i = 0; i < 3; ++i) m.inputs[i] = static_cast<uint16_t>(in[i]);
      return "OK\n";
    }
    if (a1 == "ALARMS" && w.size() >= 3 && w.size() % 2 == 1) {
      std::string unit = upper(w[2]);
      if (unit != "QZ" && unit != "SV") return "ERR unit QZ or SV\n";
      std::vector<SimAlarm> list;
      for (size_t i = 3; i + 1 < w.size(); i += 2) {
        if (!hexArg(w[i], 8, &v) || !hexArg(w[i + 1], 8, &v2)) return "ERR bad alarm entry\n";
        list.push_back({v, v2});
      }
      m.alarms[unit == "SV" ? 1 : 0] = list;
      if (unit == "QZ") m.alarm = list.empty() ? 0 : 1;
      return "OK\n";
    }
    if (a1 == "ID" && w.size() >= 3) {
      int item = std::atoi(w[2].c_str());
      if (item < 0 || item > 5 || w[2].size() != 1) return "ERR item 0-5\n";
      // The text is the rest of the line after the item number.
      size_t at = line.find(w[2], line.find(w[1]) + w[1].size()) + w[2].size();
      while (at < line.size() && line[at] == ' ') ++at;
      m.idTexts[item] = line.substr(at);
      return "OK\n";
    }
    return "ERR bad SET arguments\n";
  }
  return "ERR unknown command\n";
}

int openPseudoTerminal(std::string& slavePath, int& slaveKeep) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
  const char* name = ptsname(master);
  if (!name) return -1;
  slavePath = name;
  // Holding the slave open keeps the terminal usable when the tool closes and
  // reopens it, and keeps the master from reporting hang-ups.
  slaveKeep = ::open(name, O_RDWR | O_NOCTTY);
  if (slaveKeep >= 0) {
    termios tio{};
    tcgetattr(slaveKeep, &tio);
    cfmakeraw(&tio);
    tio.c_cflag |= PARENB;
    tcsetattr(slaveKeep, TCSANOW, &tio);
  }
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  return master;
}

}  // namespace

int main(int argc, char** argv) {
  const char* defs = nullptr;
  const char* prm = nullptr;
  const char* pnt = nullptr;
  const char* linkPath = nullptr;
  int controlPort = 0;
  Sim sim;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char*& out) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qzsim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      out = argv[++i];
    };
    if (a == "--defs") value(defs);
    else if (a == "--prm") value(prm);
    else if (a == "--pnt") value(pnt);
    else if (a == "--link") value(linkPath);
    else if (a == "--control-port") {
      const char* v = nullptr;
      value(v);
      controlPort = std::atoi(v);
    } else if (a == "--pace") sim.pace = true;
    else if (a == "--quiet") sim.quiet = true;
    else if (a == "-h" || a == "--help") {
      usage();
      return 0;
    } else {
      std::fprintf(stderr, "qzsim: unknown option %s\n", a.c_str());
      usage();
      return 2;
    }
  }

  sim.protocol.model = &sim.model;
  if (defs && !loadModelDefinitions(sim.model, defs)) {
    std::fprintf(stderr, "qzsim: cannot read definition file %s\n", defs);
    return 1;
  }
  resetModel(sim.model);
  if (prm && !loadModelParameters(sim.model, prm)) {
    std::fprintf(stderr, "qzsim: cannot read parameter file %s\n", prm);
    return 1;
  }
  if (pnt && !loadModelPoints(sim.model, pnt)) {
    std::fprintf(stderr, "qzsim: cannot read point file %s\n", pnt);
    return 1;
  }

  std::string slavePath;
  int slaveKeep = -1;
  sim.master = openPseudoTerminal(slavePath, slaveKeep);
  if (sim.master < 0) {
    std::perror("qzsim: pseudo-terminal");
    return 1;
  }
  if (linkPath) {
    ::unlink(linkPath);
    if (::symlink(slavePath.c_str(), linkPath) != 0) {
      std::perror("qzsim: --link");
      return 1;
    }
  }

  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(controlPort));
  if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listener, 8) != 0) {
    std::perror("qzsim: control port");
    return 1;
  }
  socklen_t len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);

  std::printf("QZSIM PTY %s\nQZSIM CONTROL %u\n", slavePath.c_str(), ntohs(addr.sin_port));
  std::fflush(stdout);

  signal(SIGTERM, onSignal);
  signal(SIGINT, onSignal);
  signal(SIGPIPE, SIG_IGN);

  struct Client {
    int fd;
    std::string buffer;
  };
  std::vector<Client> clients;
  while (!g_stop) {
    std::vector<pollfd> fds;
    fds.push_back({sim.master, POLLIN, 0});
    fds.push_back({listener, POLLIN, 0});
    for (auto& c : clients) fds.push_back({c.fd, POLLIN, 0});
    int ready = ::poll(fds.data(), fds.size(), 20);
    if (ready < 0) continue;
    if (fds[0].revents & POLLIN) {
      char buf[512];
      ssize_t n = ::read(sim.master, buf, sizeof buf);
      if (n > 0) {
        sim.input.append(buf, static_cast<size_t>(n));
        serveRequests(sim);
      }
    } else if (fds[0].revents & (POLLHUP | POLLERR)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Only the clients that were polled in this pass have an entry in fds.
    const size_t polled = clients.size();
    if (fds[1].revents & POLLIN) {
      int fd = ::accept(listener, nullptr, nullptr);
      if (fd >= 0) clients.push_back({fd, {}});
    }
    for (size_t i = 0; i < polled; ++i) {
      if (!(fds[2 + i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[1024];
      ssize_t n = ::recv(clients[i].fd, buf, sizeof buf, 0);
      if (n <= 0) {
        ::close(clients[i].fd);
        clients[i].fd = -1;
        continue;
      }
      clients[i].buffer.append(buf, static_cast<size_t>(n));
      // A client that never ends its line is dropped rather than buffered forever.
      if (clients[i].buffer.size() > 65536) {
        ::close(clients[i].fd);
        clients[i].fd = -1;
        continue;
      }
      size_t nl;
      while ((nl = clients[i].buffer.find('\n')) != std::string::npos) {
        std::string line = clients[i].buffer.substr(0, nl);
        clients[i].buffer.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string answer = control(sim, line);
        if (!sim.quiet) std::fprintf(stderr, "qzsim: %s -> %s", line.c_str(), answer.c_str());
        ::send(clients[i].fd, answer.data(), answer.size(), 0);
      }
    }
    clients.erase(std::remove_if(clients.begin(), clients.end(), [](const Client& c) { return c.fd < 0; }),
                  clients.end());
  }
  if (linkPath) ::unlink(linkPath);
  return 0;
}
