// One request-answer exchange with qzsim's control port per call.
#include "sim_control.h"

#include <sstream>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using SocketHandle = SOCKET;
static void closeSocket(SocketHandle s) { closesocket(s); }
static bool socketsReady() {
  static bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
using SocketHandle = int;
static void closeSocket(SocketHandle s) { close(s); }
static bool socketsReady() { return true; }
#endif

bool simCommand(uint16_t controlPort, const std::string& line, std::string* reply) {
  if (reply) reply->clear();
  if (controlPort == 0 || !socketsReady()) return false;
  SocketHandle s = socket(AF_INET, SOCK_STREAM, 0);
#ifdef _WIN32
  if (s == INVALID_SOCKET) return false;
  DWORD waitMs = 30000;
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs), sizeof waitMs);
#else
  if (s < 0) return false;
  timeval wait{30, 0};
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
#endif
  // A simulator that stops answering (it serves the line and the control port in
  // one loop, so a long paced chain delays it) fails the command after 30 s.
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(controlPort);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    closeSocket(s);
    return false;
  }
  std::string out = line + "\n";
  send(s, out.data(), static_cast<int>(out.size()), 0);
  std::string text;
  bool ok = false;
  for (;;) {
    char buf[1024];
    int n = static_cast<int>(recv(s, buf, sizeof buf, 0));
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
    // The answer ends with a line "OK" or "ERR ...".
    size_t end = text.size();
    if (end == 0 || text[end - 1] != '\n') continue;
    size_t start = text.rfind('\n', end - 2);
    start = start == std::string::npos ? 0 : start + 1;
    std::string last = text.substr(start, end - 1 - start);
    if (last == "OK" || last.rfind("ERR", 0) == 0) {
      ok = last == "OK";
      if (reply) *reply = text.substr(0, start);
      break;
    }
  }
  closeSocket(s);
  return ok;
}

std::string simLog(uint16_t controlPort) {
  std::string reply;
  simCommand(controlPort, "LOG", &reply);
  return reply;
}

std::vector<std::string> simLogLines(uint16_t controlPort) {
  std::vector<std::string> lines;
  std::istringstream in(simLog(controlPort));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}
