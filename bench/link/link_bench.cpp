// Link benchmark: request functions against the paced simulator on a pseudo-terminal.
// Prints, for each command, the median time, the wire floor and their ratio, and the
// CPU time of the idle connected process, without requests and with the status poll,
// beside the same status reads made alone on the port, without the link's threads.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "serial/serial_port.h"
#include "link/status_poll.h"
#include "protocol/encoders.h"
#include "protocol/framing.h"
#include "protocol/request_record.h"
#include "bench/sim_launch.h"

#if defined(_WIN32) || !defined(QZ_SIM_PATH)
int main() {
  std::puts("bench_link: needs the native build with qzsim");
  return 1;
}
#else
namespace {

std::atomic<uint32_t> g_charsSent{0}, g_charsRead{0}, g_replies{0};

void countFrames(bool sent, const uint8_t*, uint16_t length) {
  if (sent) {
    g_charsSent += length;
  } else {
    g_charsRead += length;
    g_replies += 1;
  }
}

struct Sample {
  double ms;
  double floorMs;
};

template <typename Call>
bool measure(const char* name, int count, Call call) {
  std::vector<Sample> samples;
  for (int i = 0; i < count; ++i) {
    g_charsSent = 0;
    g_charsRead = 0;
    g_replies = 0;
    auto start = std::chrono::steady_clock::now();
    uint16_t status = call(i);
    auto end = std::chrono::steady_clock::now();
    if (status != 0) {
      std::printf("%-8s failed with status %u\n", name, status);
      return false;
    }
    double chars = g_charsSent.load() + g_charsRead.load();
    double floorMs = chars * 11.0 / 9600.0 * 1000.0 + 50.0 * std::max<uint32_t>(1, g_replies.load());
    samples.push_back({std::chrono::duration<double, std::milli>(end - start).count(), floorMs});
  }
  std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
  const Sample& median = samples[samples.size() / 2];
  std::printf("%-8s n=%-3d median %8.1f ms  floor %8.1f ms  ratio %.3f\n", name, count, median.ms,
              median.floorMs, median.ms / median.floorMs);
  return true;
}

// CPU time of the whole process while the caller sleeps `seconds`.
void idleCpu(const char* what, int seconds) {
  double cpuStart = cpuSeconds();
  auto wallStart = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  double cpu = cpuSeconds() - cpuStart;
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  std::printf("%-30s cpu %.4f s over %.1f s = %.3f%% of one core\n", what, cpu, wall, 100.0 * cpu / wall);
}

// The floor under the status poll's figure: the same status read, ten times a
// second, straight through the encoder and the serial port on this thread. Most of
// it is the read taking the reply in as it comes, a wake-up a character or two.
void statusReadsAlone(int seconds) {
  if (openPort(0, kLineSettings, kPortTimings) != PORT_OK) {
    std::printf("status reads alone: cannot open the port\n");
    return;
  }
  LineContext line{0, false};
  double cpuStart = cpuSeconds();
  auto wallStart = std::chrono::steady_clock::now();
  int reads = 0, failed = 0;
  while (std::chrono::steady_clock::now() - wallStart < std::chrono::seconds(seconds)) {
    RequestRecord record{};
    record.opCode = CMD_RDSSTS;
    runCommandEncoder(&record, line);
    failed += record.status != 0;
    ++reads;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  double cpu = cpuSeconds() - cpuStart;
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  closePort(0);
  std::printf("%-30s cpu %.4f s over %.1f s = %.3f%% of one core (%d reads, %d failed, %.2f ms each)\n",
              "status reads alone:", cpu, wall, 100.0 * cpu / wall, reads, failed, 1000.0 * cpu / (reads ? reads : 1));
}

}  // namespace

int main() {
  Sim sim;
  if (!openPacedLink(&sim, "bench_link")) return 1;
  setFrameObserver(countFrames);
  std::printf("qzsim --pace on %s, 9600 baud 8E1\n", sim.pty.c_str());
  bool ok = measure("RDSSTS", 50, [](int) {
    uint16_t value;
    uint8_t a, b, c, d;
    return request_RDSSTS(nullptr, &value, &a, &b, &c, &d);
  });
  ok = ok && measure("RDPARM", 50, [](int i) {
    uint16_t echoed;
    uint32_t value;
    return request_RDPARM(nullptr, 0, static_cast<uint16_t>(i % 6), &echoed, &value);   // Pn0000 to Pn0005
  });
  ok = ok && measure("GET_PT", 50, [](int i) {
    uint32_t speed, position;
    return request_GET_PT(nullptr, static_cast<uint16_t>(i % 50 + 1), &speed, &position);
  });
  static uint8_t memory[4096];
  ok = ok && measure("RD_MEM", 1, [](int) { return request_RD_MEM(nullptr, 0, 0, 4096, memory); });
  std::printf("RD_MEM 4096 bytes in %u replies\n", g_replies.load());
  setFrameObserver(nullptr);

  if (ok) {
    idleCpu("idle, port open, no requests:", 5);
    startStatusPolling(nullptr);
    idleCpu("idle with status poll:", 10);
    std::printf("(poll %s)\n", statusPollingActive() ? "running" : "stopped");
  }
  linkShutdown();
  if (ok) statusReadsAlone(10);
  closePacedLink(&sim);
  return ok ? 0 : 1;
}
#endif
