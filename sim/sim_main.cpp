// qzsim's entry point: serves the module protocol on a pseudo-terminal and the control port.
// Replies go out as the module would send them, in the bursts the line side makes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_control.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void usage() { std::fputs(kSimHelp, stdout); }

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

void serveRequests(Sim& sim) {
  for (;;) {
    std::string body, raw;
    const char* why = nullptr;
    Frame frame = takeFrame(sim.protocol, sim.input, &body, &raw, &why);
    if (frame == Frame::None) return;
    for (const Burst& burst : answerMessage(sim, raw, body, why, nowMs())) {
      if (burst.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(burst.pauseMs));
      writeBurst(sim, burst.bytes);
    }
  }
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

struct Options {
  const char* defs = nullptr;
  const char* prm = nullptr;
  const char* pnt = nullptr;
  const char* linkPath = nullptr;
  int controlPort = 0;
};

// Reads the command line into `opt` and the sim's switches; -1 to go on, else the exit code.
int parseOptions(int argc, char** argv, Options& opt, Sim& sim) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char*& out) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qzsim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      out = argv[++i];
    };
    if (a == "--defs") value(opt.defs);
    else if (a == "--prm") value(opt.prm);
    else if (a == "--pnt") value(opt.pnt);
    else if (a == "--link") value(opt.linkPath);
    else if (a == "--control-port") {
      const char* v = nullptr;
      value(v);
      opt.controlPort = std::atoi(v);
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
  return -1;
}

// The model from the definition, parameter and point files named; false (said on stderr) on a bad file.
bool loadModel(Sim& sim, const Options& opt) {
  sim.protocol.model = &sim.model;
  if (opt.defs && !loadModelDefinitions(sim.model, opt.defs)) {
    std::fprintf(stderr, "qzsim: cannot read definition file %s\n", opt.defs);
    return false;
  }
  resetModel(sim.model);
  if (opt.prm && !loadModelParameters(sim.model, opt.prm)) {
    std::fprintf(stderr, "qzsim: cannot read parameter file %s\n", opt.prm);
    return false;
  }
  if (opt.pnt && !loadModelPoints(sim.model, opt.pnt)) {
    std::fprintf(stderr, "qzsim: cannot read point file %s\n", opt.pnt);
    return false;
  }
  return true;
}

// A listening socket on the loopback `port` (0: any free one), its port number in `bound`; -1 on failure.
int openControlPort(int port, uint16_t* bound) {
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listener, 8) != 0)
    return -1;
  socklen_t len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  *bound = ntohs(addr.sin_port);
  return listener;
}

struct Client {
  int fd;
  std::string buffer;
};

// Answers every whole line a control client has sent; closes it (fd -1) on end or overflow.
void serveClient(Sim& sim, Client& client) {
  char buf[1024];
  ssize_t n = ::recv(client.fd, buf, sizeof buf, 0);
  client.buffer.append(buf, n > 0 ? static_cast<size_t>(n) : 0);
  // A client that never ends its line is dropped rather than buffered forever.
  if (n <= 0 || client.buffer.size() > 65536) {
    ::close(client.fd);
    client.fd = -1;
    return;
  }
  size_t nl;
  while ((nl = client.buffer.find('\n')) != std::string::npos) {
    std::string line = client.buffer.substr(0, nl);
    client.buffer.erase(0, nl + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string answer = runControl(sim, line, nowMs());
    if (!sim.quiet) std::fprintf(stderr, "qzsim: %s -> %s", line.c_str(), answer.c_str());
    ::send(client.fd, answer.data(), answer.size(), 0);
  }
}

// Serves the line and the control clients until a signal stops it.
void serve(Sim& sim, int listener) {
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
    for (size_t i = 0; i < polled; ++i)
      if (fds[2 + i].revents & (POLLIN | POLLHUP | POLLERR)) serveClient(sim, clients[i]);
    clients.erase(std::remove_if(clients.begin(), clients.end(), [](const Client& c) { return c.fd < 0; }),
                  clients.end());
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  Sim sim;
  int exitCode = parseOptions(argc, argv, opt, sim);
  if (exitCode >= 0) return exitCode;
  if (!loadModel(sim, opt)) return 1;

  std::string slavePath;
  int slaveKeep = -1;
  sim.master = openPseudoTerminal(slavePath, slaveKeep);
  if (sim.master < 0) {
    std::perror("qzsim: pseudo-terminal");
    return 1;
  }
  if (opt.linkPath) {
    ::unlink(opt.linkPath);
    if (::symlink(slavePath.c_str(), opt.linkPath) != 0) {
      std::perror("qzsim: --link");
      return 1;
    }
  }
  uint16_t controlPort = 0;
  int listener = openControlPort(opt.controlPort, &controlPort);
  if (listener < 0) {
    std::perror("qzsim: control port");
    return 1;
  }

  std::printf("QZSIM PTY %s\nQZSIM CONTROL %u\n", slavePath.c_str(), controlPort);
  std::fflush(stdout);

  signal(SIGTERM, onSignal);
  signal(SIGINT, onSignal);
  signal(SIGPIPE, SIG_IGN);
  serve(sim, listener);
  if (opt.linkPath) ::unlink(opt.linkPath);
  return 0;
}
