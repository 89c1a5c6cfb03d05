// Shared by the benchmarks: a paced qzsim on a pseudo-terminal, the link opened on
// it, and CPU time.
#pragma once
#if !defined(_WIN32) && defined(QZ_SIM_PATH)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "link/link.h"
#include "serial/serial_port.h"

struct Sim {
  pid_t pid = -1;
  std::string pty;
};

// Starts qzsim with wire pacing and waits for its pty and control lines.
inline bool startSim(Sim* sim) {
  int out[2];
  if (pipe(out) != 0) return false;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    execl(QZ_SIM_PATH, QZ_SIM_PATH, "--defs", QZ_SOURCE_DIR "/data/ParmDef.cfg", "--pace", "--quiet",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  sim->pid = pid;
  FILE* f = fdopen(out[0], "r");
  char line[256];
  bool controlSeen = false;
  while (!controlSeen && f && std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "QZSIM PTY ", 10) == 0) {
      sim->pty = line + 10;
      while (!sim->pty.empty() && (sim->pty.back() == '\n' || sim->pty.back() == '\r'))
        sim->pty.pop_back();
    }
    if (std::strncmp(line, "QZSIM CONTROL ", 14) == 0) controlSeen = true;
  }
  // With --quiet the simulator writes nothing more, so the pipe may stay unread.
  return !sim->pty.empty();
}

inline void stopSim(Sim* sim) {
  if (sim->pid > 0) {
    kill(sim->pid, SIGTERM);
    waitpid(sim->pid, nullptr, 0);
  }
}

// Starts the paced qzsim and opens the link on it as the first port; says why not
// (as `bench`) and leaves nothing running when it cannot.
inline bool openPacedLink(Sim* sim, const char* bench) {
  if (!startSim(sim)) {
    std::printf("%s: qzsim did not start\n", bench);
    stopSim(sim);
    return false;
  }
  setPortDevicePath(0, sim->pty.c_str());
  if (linkStart() != 0 || postConnectionRequest(1, 1, 0) != 0) {
    std::printf("%s: cannot open %s\n", bench, sim->pty.c_str());
    linkShutdown();
    stopSim(sim);
    return false;
  }
  return true;
}

inline void closePacedLink(Sim* sim) {
  linkShutdown();
  stopSim(sim);
}

inline double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
#endif
