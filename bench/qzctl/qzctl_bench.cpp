// qzctl benchmark: `qzctl params save` of the shipped ParmDef.cfg against the paced
// simulator, with the line's own reads (--strict-timing) and with the fast reads.
// Prints each time against the wire floor, the sum over exchanges of characters x
// 11 / 9600 (from the frames of --trace); the fast reads aim at 1.15 x the floor.
// The simulator paces only its replies (a request on a pseudo-terminal arrives at
// once), so the replies' own floor is printed too: no run can beat that one.
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <fstream>
#include <string>

#include "bench/sim_launch.h"

#if defined(_WIN32) || !defined(QZ_SIM_PATH) || !defined(QZ_CTL_PATH)
int main() {
  std::puts("bench_qzctl: needs the native build with qzsim and qzctl");
  return 1;
}
#else

namespace {

// Characters on the wire of one trace line's frame: <STX>, <CR>, <ETX>, <LF> and
// \xNN are one each.
long frameChars(const std::string& text) {
  long n = 0;
  for (size_t i = 0; i < text.size(); ++n) {
    if (text[i] == '<' && text.find('>', i) != std::string::npos && text.find('>', i) - i <= 4)
      i = text.find('>', i) + 1;
    else if (text[i] == '\\' && i + 3 < text.size() + 1 && text[i + 1] == 'x')
      i += 4;
    else
      ++i;
  }
  return n;
}

bool run(const Sim& sim, const char* name, const char* options) {
  std::string trace = "/tmp/bench_qzctl_trace_" + std::to_string(getpid());
  std::string prm = "/tmp/bench_qzctl_" + std::to_string(getpid()) + ".PRM";
  std::string command = std::string(QZ_CTL_PATH) + " -q -p " + sim.pty + " -d " QZ_SOURCE_DIR "/data/ParmDef.cfg " +
                        options + " --trace " + trace + " params save " + prm + " >/dev/null";
  auto start = std::chrono::steady_clock::now();
  int rc = std::system(command.c_str());
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::ifstream f(trace);
  std::string line;
  long chars = 0, replyChars = 0, exchanges = 0;
  while (std::getline(f, line)) {
    // "   12.345 > <STX>..." or "   12.345 < <STX>..."; "(no reply)" carries nothing.
    size_t at = line.find(" > ");
    if (at == std::string::npos) at = line.find(" < ");
    if (at == std::string::npos || line.find("(no reply)") != std::string::npos) continue;
    long n = frameChars(line.substr(at + 3));
    chars += n;
    if (line[at + 1] == '<') {
      replyChars += n;
      ++exchanges;
    }
  }
  std::remove(trace.c_str());
  std::remove(prm.c_str());
  if (rc != 0) {
    std::printf("%-22s qzctl ended with %d\n", name, rc);
    return false;
  }
  double floorMs = chars * 11.0 / 9600.0 * 1000.0, replyFloorMs = replyChars * 11.0 / 9600.0 * 1000.0;
  std::printf("%-22s %4ld exchanges  %8.1f ms  floor %8.1f ms  ratio %.3f  (replies' floor %8.1f ms, ratio %.3f)\n",
              name, exchanges, ms, floorMs, ms / floorMs, replyFloorMs, ms / replyFloorMs);
  return true;
}

}  // namespace

int main() {
  Sim sim;
  if (!startSim(&sim)) {
    std::puts("bench_qzctl: qzsim did not start");
    stopSim(&sim);
    return 1;
  }
  std::printf("qzctl params save, ParmDef.cfg, qzsim --pace on %s, 9600 baud 8E1 (target ratio <= 1.15)\n",
              sim.pty.c_str());
  bool ok = run(sim, "line's reads (strict)", "--strict-timing");
  ok = run(sim, "fast reads", "") && ok;
  stopSim(&sim);
  return ok ? 0 : 1;
}
#endif
