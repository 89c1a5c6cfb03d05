// Client of qzsim's control port (POSIX sockets or Winsock): one command line an
// exchange, and the reads of its request log.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Sends one command line ("RESET", "SET SERVO 1", "FAULT NONE", ...); true when the
// answer ends with OK. `reply` receives the lines before the final OK or ERR line.
bool simCommand(uint16_t controlPort, const std::string& line, std::string* reply = nullptr);
// The requests qzsim received since the last "LOG CLEAR", as it logs them.
std::string simLog(uint16_t controlPort);
// The same, one request a line, empty lines left out.
std::vector<std::string> simLogLines(uint16_t controlPort);
