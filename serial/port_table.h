// The ports a back end has open, whichever numbers they have; each back end's
// record carries its own handle beside `number`.
#pragma once
#include <cstdint>
#include <vector>

template <class Port>
Port* findOpenPort(std::vector<Port>& table, uint16_t port) {
  for (Port& slot : table)
    if (slot.number == port) return &slot;
  return nullptr;
}

template <class Port>
void dropOpenPort(std::vector<Port>& table, uint16_t port) {
  for (auto it = table.begin(); it != table.end(); ++it)
    if (it->number == port) {
      table.erase(it);
      return;
    }
}
