// Client of qzsim's control port (POSIX sockets or Winsock).
#pragma once
#include <cstdint>
#include <string>

// Sends one command line; true when the answer ends with OK. `reply` receives the
// lines before the final OK or ERR line.
bool simCommand(uint16_t controlPort, const std::string& line, std::string* reply = nullptr);
// The control port from the environment (QZSIM_CONTROL), 0 when unset.
uint16_t simControlFromEnv();
