// Transfer benchmark: the parameter save of the shipped ParmDef.cfg and the
// point-table save, through the same loops the dialogs run, against the paced
// simulator. Prints the time, the wire floor (the sum over requests of
// characters x 11 / 9600 + 50 ms) and their ratio; the target is a ratio of 1.10.
#include <atomic>
#include <chrono>
#include <cstdio>

#include "bench/sim_launch.h"
#include "files/definitions.h"
#include "files/point_table.h"
#include "files/settings.h"
#include "files/transfer.h"
#include "link/link.h"
#include "serial/serial_port.h"
#include "protocol/framing.h"

#if defined(_WIN32) || !defined(QZ_SIM_PATH)
int main() {
  std::puts("bench_transfers: needs the native build with qzsim");
  return 1;
}
#else

namespace {

std::atomic<uint32_t> g_chars{0}, g_replies{0};

void countFrames(bool sent, const uint8_t*, uint16_t length) {
  g_chars += length;
  if (!sent) g_replies += 1;
}

template <typename Run>
bool measure(const char* name, Run run) {
  g_chars = 0;
  g_replies = 0;
  auto start = std::chrono::steady_clock::now();
  uint16_t result = run();
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (result != TRANSFER_COMPLETED) {
    std::printf("%-16s ended with %u\n", name, result);
    return false;
  }
  double floorMs = g_chars.load() * 11.0 / 9600.0 * 1000.0 + 50.0 * g_replies.load();
  std::printf("%-16s %4u requests  %9.1f ms  floor %9.1f ms  ratio %.3f (target <= 1.10)\n", name,
              g_replies.load(), ms, floorMs, ms / floorMs);
  return true;
}

}  // namespace

int main() {
  if (loadDefinitions(QZ_SOURCE_DIR "/data/ParmDef.cfg") != 0) {
    std::puts("bench_transfers: data/ParmDef.cfg does not load");
    return 1;
  }
  Sim sim;
  if (!openPacedLink(&sim, "bench_transfers")) return 1;
  std::printf("qzsim --pace on %s, 9600 baud 8E1, %u definitions\n", sim.pty.c_str(),
              g_parameterTable.count);
  setFrameObserver(countFrames);
  std::atomic<bool> running{true};
  TransferSink sink{};
  bool ok = measure("parameter save", [&] { return saveParameters(nullptr, &g_parameterTable, running, sink); });
  ok = ok && measure("point save", [&] { return savePointTable(nullptr, livePointTable(), running, sink); });
  setFrameObserver(nullptr);
  closePacedLink(&sim);
  return ok ? 0 : 1;
}
#endif
