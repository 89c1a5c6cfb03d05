// Frame trace for --trace: printable frames with time stamps and the link statistics at exit.
#include "cli/trace.h"
#include "cli/qzctl.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "protocol/framing.h"

namespace {

std::FILE* g_trace = nullptr;
std::mutex g_traceLock;
std::chrono::steady_clock::time_point g_start;
// requests: frames written; replies: reads that brought bytes; silent: reads that
// brought none; retries: a request written again after its attempt got no reply
// (the transaction's own attempts and the repeats of --retry); reopens: --retry's
// closing and reopening of the port.
unsigned long g_requests = 0, g_replies = 0, g_silent = 0, g_retries = 0, g_reopens = 0;
unsigned long g_failures[8] = {};  // by status 1..7; index 0 holds every larger status
// The last request written and whether its attempt has failed: a read that brought
// nothing, or a write followed by another write with no read between (failed write).
uint8_t g_lastRequest[256];
uint16_t g_lastLength = 0;
bool g_attemptFailed = false;
bool g_awaitingRead = false;
// Silent attempts are said on stderr as they happen: a dead line costs three
// attempts of the read time-out each, and that wait should not pass without a word.
bool g_notes = false;
std::string g_notePort;
int g_attempt = 0;   // attempt of the last request written, 1-based
bool g_reopened = false;

void noteAttempt(bool sent, const uint8_t* data, uint16_t length) {
  if (sent) {
    bool again = !g_reopened && (g_attemptFailed || g_awaitingRead) && length == g_lastLength &&
                 std::memcmp(data, g_lastRequest, length) == 0;
    g_attempt = again ? g_attempt + 1 : 1;
    g_reopened = false;
    return;
  }
  if (length != 0 || g_lastLength < 7) return;
  qzctl::note("no reply from %s (%.6s), attempt %d of %d", g_notePort.c_str(),
              reinterpret_cast<const char*>(g_lastRequest + 1), g_attempt, kTransactionAttempts);
}

void observe(bool sent, const uint8_t* data, uint16_t length) {
  std::lock_guard<std::mutex> hold(g_traceLock);
  if (g_notes) noteAttempt(sent, data, length);
  if (!g_trace) {
    if (sent) {
      g_lastLength = length < sizeof g_lastRequest ? length : static_cast<uint16_t>(sizeof g_lastRequest);
      std::memcpy(g_lastRequest, data, g_lastLength);
      g_attemptFailed = false;
      g_awaitingRead = true;
    } else {
      g_awaitingRead = false;
      g_attemptFailed = length == 0;
    }
    return;
  }
  if (sent) {
    ++g_requests;
    bool failedBefore = g_attemptFailed || g_awaitingRead;
    if (failedBefore && length == g_lastLength && std::memcmp(data, g_lastRequest, length) == 0) ++g_retries;
    g_lastLength = length < sizeof g_lastRequest ? length : static_cast<uint16_t>(sizeof g_lastRequest);
    std::memcpy(g_lastRequest, data, g_lastLength);
    g_attemptFailed = false;
    g_awaitingRead = true;
  } else {
    g_awaitingRead = false;
    g_attemptFailed = length == 0;
    (length ? g_replies : g_silent)++;
  }
  long ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - g_start).count());
  std::fprintf(g_trace, "%8ld.%03ld %s %s\n", ms / 1000, ms % 1000, sent ? ">" : "<",
               !sent && length == 0 ? "(no reply)" : tracePrintable(data, length).c_str());
  std::fflush(g_trace);
}

}  // namespace

std::string tracePrintable(const uint8_t* data, uint16_t length) {
  std::string out;
  for (uint16_t i = 0; i < length; ++i) {
    uint8_t b = data[i];
    if (b == 0x02) out += "<STX>";
    else if (b == 0x03) out += "<ETX>";
    else if (b == 0x0D) out += "<CR>";
    else if (b == 0x0A) out += "<LF>";
    else if (b >= 0x20 && b < 0x7F && b != '\\') out += static_cast<char>(b);
    else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    }
  }
  return out;
}

bool traceOpen(const std::string& path) {
  std::FILE* f = path == "-" ? stderr : std::fopen(path.c_str(), "w");
  if (!f) return false;
  {
    std::lock_guard<std::mutex> hold(g_traceLock);
    g_trace = f;
    g_start = std::chrono::steady_clock::now();
  }
  setFrameObserver(observe);
  return true;
}

void traceNoteStatus(uint16_t status) {
  if (status == 0) return;
  std::lock_guard<std::mutex> hold(g_traceLock);
  g_failures[status < 8 ? status : 0]++;
}

void traceNoteReopen() {
  std::lock_guard<std::mutex> hold(g_traceLock);
  ++g_reopens;
  g_reopened = true;   // the repeat after a reopening counts its attempts afresh
}

void attemptNotesOpen(const std::string& port) {
  {
    std::lock_guard<std::mutex> hold(g_traceLock);
    g_notes = true;
    g_notePort = port;
  }
  setFrameObserver(observe);
}

void traceClose() {
  setFrameObserver(nullptr);
  std::lock_guard<std::mutex> hold(g_traceLock);
  g_notes = false;
  if (!g_trace) return;
  std::fprintf(g_trace, "requests %lu\nreplies %lu\nretries %lu\nno reply %lu\nreopens %lu\n", g_requests, g_replies,
               g_retries, g_silent, g_reopens);
  for (int s = 1; s < 8; ++s)
    if (g_failures[s]) std::fprintf(g_trace, "failures status %d: %lu\n", s, g_failures[s]);
  if (g_failures[0]) std::fprintf(g_trace, "failures other status: %lu\n", g_failures[0]);
  if (g_trace != stderr) std::fclose(g_trace);
  else std::fflush(g_trace);
  g_trace = nullptr;
}
