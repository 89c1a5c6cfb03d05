// qzsim for a test: a child process natively, the one scripts/wine-tests started
// under Wine; and the fixture that connects the link to it.
#include "tests/support/sim_fixture.h"

#include <cstdlib>

#include "link/link.h"
#include "link/link_state.h"
#include "serial/serial_port.h"

#ifndef _WIN32
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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
bool startSim(SimProcess& sim, std::vector<std::string>) {
  const char* pty = std::getenv("QZSIM_PTY");
  const char* control = std::getenv("QZSIM_CONTROL");
  if (!pty || !control) return false;
  sim.pty = pty;
  sim.control = static_cast<uint16_t>(std::atoi(control));
  return sim.control != 0;
}
void stopSim(SimProcess& sim) { sim = SimProcess{}; }
#endif

uint16_t startLinkOn(const char* linePath) {
  setPortDevicePath(0, linePath);
  resetModeRecord();
  linkFlagsClear();
  return linkStart();
}

void SimLinkTest::SetUpTestSuite() { simRunning = startSim(sim); }

void SimLinkTest::TearDownTestSuite() {
  if (simRunning) stopSim(sim);
  simRunning = false;
}

void SimLinkTest::SetUp() {
  ASSERT_TRUE(simRunning);
  ASSERT_TRUE(control("RESET"));
  ASSERT_TRUE(control("LOG CLEAR"));
  ASSERT_EQ(startLinkOn(sim.pty.c_str()), 0);
  ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
}

void SimLinkTest::TearDown() {
  linkShutdown();
  EXPECT_EQ(linkFlagTest(LINK_PORT_OPEN), 0);
}
