// Ordering and naming of the present serial ports, shared by both back ends.
#include "serial/port_list.h"

#include <algorithm>

#include "serial/serial_port.h"

namespace {

// Text order with each run of digits compared as a number.
bool naturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    bool da = a[i] >= '0' && a[i] <= '9', db = b[j] >= '0' && b[j] <= '9';
    if (da && db) {
      size_t ei = i, ej = j;
      while (ei < a.size() && a[ei] >= '0' && a[ei] <= '9') ++ei;
      while (ej < b.size() && b[ej] >= '0' && b[ej] <= '9') ++ej;
      std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
      na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
      nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

}  // namespace

void sortSerialPorts(std::vector<SerialPortInfo>* ports) {
  std::stable_sort(ports->begin(), ports->end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
    int na = parseComName(a.name.c_str()), nb = parseComName(b.name.c_str());
    if ((na >= 0) != (nb >= 0)) return na >= 0;
    if (na >= 0) return na < nb;
    return naturalLess(a.name, b.name);
  });
  auto same = [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.name == b.name; };
  ports->erase(std::unique(ports->begin(), ports->end(), same), ports->end());
}

std::string friendlyWithoutPortName(const std::string& friendly, const std::string& name) {
  std::string ending = " (" + name + ")";
  if (friendly.size() > ending.size() &&
      friendly.compare(friendly.size() - ending.size(), ending.size(), ending) == 0)
    return friendly.substr(0, friendly.size() - ending.size());
  return friendly;
}
