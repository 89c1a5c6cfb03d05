// Present serial ports on Linux: the terminal devices under /dev/serial/by-id and
// /dev/ttyUSB*, ttyACM*, ttyS*. A name counts only when it opens as a terminal
// (most ttyS* have no UART behind them).
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "serial/port_list.h"

namespace {

bool opensAsTerminal(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  termios tio{};
  bool ok = isatty(fd) && tcgetattr(fd, &tio) == 0;
  ::close(fd);
  return ok;
}

void scan(const char* folder, const char* const* prefixes, bool describeTarget,
          std::vector<SerialPortInfo>* out) {
  DIR* dir = opendir(folder);
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    bool wanted = prefixes == nullptr;
    for (const char* const* p = prefixes; p && *p && !wanted; ++p)
      wanted = std::strncmp(entry->d_name, *p, std::strlen(*p)) == 0;
    if (!wanted) continue;
    std::string path = std::string(folder) + "/" + entry->d_name;
    if (!opensAsTerminal(path)) continue;
    SerialPortInfo info{path, ""};
    char target[PATH_MAX];
    if (describeTarget && realpath(path.c_str(), target)) info.description = target;
    out->push_back(info);
  }
  closedir(dir);
}

}  // namespace

std::vector<SerialPortInfo> listSerialPorts() {
  std::vector<SerialPortInfo> ports;
  scan("/dev/serial/by-id", nullptr, true, &ports);
  static const char* const kNames[] = {"ttyUSB", "ttyACM", "ttyS", nullptr};
  scan("/dev", kNames, false, &ports);
  sortSerialPorts(&ports);
  return ports;
}
