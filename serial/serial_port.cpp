// The fixed line settings and time-outs, and the device path table of the POSIX back end.
#include "serial/serial_port.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

const LineSettings kLineSettings = {9600, 2, 0, 8};
const PortTimings kPortTimings = {50, 10000, 10000, 2048, 2048, 1, 1};

namespace {
std::mutex g_pathMutex;
char g_paths[kSerialPortCount][256];   // 64 KiB, set once per port by the front end
bool g_pathsInitialised = false;

void initialisePaths() {
  if (g_pathsInitialised) return;
  for (int i = 0; i < kSerialPortCount; ++i) std::snprintf(g_paths[i], sizeof g_paths[i], "/dev/ttyS%d", i);
  g_pathsInitialised = true;
}
}  // namespace

void setPortDevicePath(uint16_t port, const char* path) {
  if (port >= kSerialPortCount || path == nullptr) return;
  std::lock_guard<std::mutex> lock(g_pathMutex);
  initialisePaths();
  std::snprintf(g_paths[port], sizeof g_paths[port], "%s", path);
}

const char* portDevicePath(uint16_t port) {
  if (port >= kSerialPortCount) return "";
  std::lock_guard<std::mutex> lock(g_pathMutex);
  initialisePaths();
  return g_paths[port];
}

void windowsPortName(uint16_t port, char* out, size_t size) {
  if (size == 0) return;
  if (port >= kSerialPortCount) {
    out[0] = 0;
    return;
  }
  std::snprintf(out, size, port < 9 ? "COM%u" : "\\\\.\\COM%u", static_cast<unsigned>(port) + 1);
}

int parseComName(const char* text) {
  if (text == nullptr || std::toupper(static_cast<unsigned char>(text[0])) != 'C' ||
      std::toupper(static_cast<unsigned char>(text[1])) != 'O' ||
      std::toupper(static_cast<unsigned char>(text[2])) != 'M')
    return -1;
  const char* digits = text + 3;
  if (*digits < '1' || *digits > '9') return -1;   // no sign, no leading zero
  int n = 0;
  for (const char* c = digits; *c; ++c) {
    if (*c < '0' || *c > '9' || c - digits >= 3) return -1;
    n = n * 10 + (*c - '0');
  }
  return n >= 1 && n <= kSerialPortCount ? n - 1 : -1;
}
