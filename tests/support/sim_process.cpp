// qzsim as a child process of a native test.
#include "sim_process.h"

#ifndef _WIN32
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

bool startSim(SimProcess& sim, std::vector<std::string> extraArgs) {
#ifdef QZ_SIM_PATH
  const char* path = QZ_SIM_PATH;
#else
  const char* path = std::getenv("QZ_SIM_PATH");
  if (!path) return false;
#endif
  std::vector<std::string> args = {path, "--control-port", "0", "--quiet"};
  bool hasDefs = false;
  for (auto& a : extraArgs) hasDefs |= a == "--defs";
  if (!hasDefs) {
    args.push_back("--defs");
    args.push_back(std::string(QZ_SOURCE_DIR) + "/data/ParmDef.cfg");
  }
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());

  int out[2];
  if (pipe(out) != 0) return false;
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  sim.pid = pid;
  std::string text;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 100) > 0) {
      char buf[256];
      ssize_t n = read(out[0], buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, static_cast<size_t>(n));
    }
    size_t a = text.find("QZSIM PTY "), b = text.find("QZSIM CONTROL ");
    if (a != std::string::npos && b != std::string::npos && text.find('\n', b) != std::string::npos) {
      sim.pty = text.substr(a + 10, text.find('\n', a) - a - 10);
      sim.control = static_cast<uint16_t>(std::atoi(text.c_str() + b + 14));
      close(out[0]);
      return true;
    }
  }
  close(out[0]);
  stopSim(sim);
  return false;
}

void stopSim(SimProcess& sim) {
  if (sim.pid > 0) {
    kill(sim.pid, SIGTERM);
    // A simulator that does not end within 3 s is killed, so no test hangs on it.
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (waitpid(sim.pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        kill(sim.pid, SIGKILL);
        waitpid(sim.pid, &status, 0);
        break;
      }
      usleep(10000);
    }
  }
  sim = SimProcess{};
}
#else
bool startSim(SimProcess&, std::vector<std::string>) { return false; }
void stopSim(SimProcess& sim) { sim = SimProcess{}; }
#endif
