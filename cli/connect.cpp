// Opening the port named on the command line.
#include "cli/qzctl.h"

#include <cstdio>
#include <cstring>

#include "link/comm_thread.h"
#include "link/link.h"
#include "link/link_state.h"
#include "serial/serial_port.h"

namespace qzctl {

bool g_connected = false;

int connectModule() {
  setLinkReadTotalMs(g_opt.timeoutMs);
  setLinkFastReads(!g_opt.strictTiming);
  if (linkStart() != 0) {
    return fail(EXIT_COMM, "cannot start the module link");
  }
#ifdef _WIN32
  int number = parseComName(g_opt.port.c_str());
  if (number < 0) return usage("the port must be COM1..COM256");
  uint16_t port = static_cast<uint16_t>(number);
#else
  uint16_t port = 0;
  setPortDevicePath(port, g_opt.port.c_str());
#endif
  g_mode.currentPort = port;
  if (postConnectionRequest(1, 1, port) != 0) {
    uint32_t reason = portOpenError(port);
#ifdef _WIN32
    return fail(EXIT_COMM, "cannot open port %s (system error %lu)", g_opt.port.c_str(),
                static_cast<unsigned long>(reason));
#else
    return fail(EXIT_COMM, "cannot open port %s (%s)", g_opt.port.c_str(),
                reason ? std::strerror(static_cast<int>(reason)) : "no reason given");
#endif
  }
  g_connected = true;
  return EXIT_OK;
}

}  // namespace qzctl
