// The fixed line settings and time-outs, and the device path table of the POSIX back end.
#include "serial/serial_port.h"

#include <cstdio>
#include <cstring>
#include <mutex>

const LineSettings kLineSettings = {9600, 2, 0, 8};
const PortTimings kPortTimings = {50, 10000, 10000, 2048, 2048, 1, 1};

namespace {
std::mutex g_pathMutex;
char g_paths[kSerialPortSlots][256];
bool g_pathsInitialised = false;

void initialisePaths() {
  if (g_pathsInitialised) return;
  for (int i = 0; i < kSerialPortSlots; ++i) std::snprintf(g_paths[i], sizeof g_paths[i], "/dev/ttyS%d", i);
  g_pathsInitialised = true;
}
}  // namespace

void setPortDevicePath(uint16_t port, const char* path) {
  if (port >= kSerialPortSlots || path == nullptr) return;
  std::lock_guard<std::mutex> lock(g_pathMutex);
  initialisePaths();
  std::snprintf(g_paths[port], sizeof g_paths[port], "%s", path);
}

const char* portDevicePath(uint16_t port) {
  if (port >= kSerialPortSlots) return "";
  std::lock_guard<std::mutex> lock(g_pathMutex);
  initialisePaths();
  return g_paths[port];
}
